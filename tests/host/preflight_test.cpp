#include <gtest/gtest.h>

#include <vector>

#include "install/install_space.h"
#include "pack_stream.h"
#include "store/crc32.h"
#include "store/store_index.h"

#include <zlib.h>

namespace {

TEST(StoreIndex, RoundTripsAndRefusesEveryDamagedByte) {
  std::vector<PackedEntry> packed = {{200, 48132, {0x78, 0xDA, 1, 2, 3}}, {110, 141312, {0x78, 0xDA, 9}}};
  std::vector<unsigned char> index = BuildStoreIndex(packed);
  ASSERT_EQ(index.size(), 12u + 16u * 2);
  StoreIndexEntry entries[4];
  ASSERT_EQ(ParseStoreIndex(index.data(), index.size(), entries, 4), 2);
  EXPECT_EQ(entries[0].id, 200u);
  EXPECT_EQ(entries[0].inflatedSize, 48132u);
  EXPECT_EQ(entries[0].storedSize, 5u);
  EXPECT_EQ(entries[1].id, 110u);
  EXPECT_NE(entries[0].crc, entries[1].crc);
  EXPECT_EQ(FindIndexEntry(entries, 2, 110), &entries[1]);
  EXPECT_EQ(FindIndexEntry(entries, 2, 111), nullptr);
  EXPECT_EQ(ParseStoreIndex(index.data(), index.size(), entries, 1), -1) << "more entries than room";
  for (size_t i = 0; i < index.size(); ++i) {
    std::vector<unsigned char> damaged = index;
    damaged[i] ^= 0x10;
    EXPECT_EQ(ParseStoreIndex(damaged.data(), damaged.size(), entries, 4), -1) << i;
  }
  EXPECT_EQ(ParseStoreIndex(index.data(), index.size() - 1, entries, 4), -1);
  EXPECT_EQ(ParseStoreIndex(index.data(), 3, entries, 4), -1);
}

// The installer's own CRC-32 against zlib's, over every length around its eight-byte steps, and chained.
TEST(Crc32, IsZlibs) {
  std::vector<unsigned char> data(100000);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<unsigned char>(i * 7919 >> 3);
  for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 100000})
    EXPECT_EQ(Crc32(0, data.data(), length), crc32(0, data.data(), static_cast<uInt>(length))) << length;
  EXPECT_EQ(Crc32(Crc32(0, data.data(), 13), data.data() + 13, 999), crc32(0, data.data(), 1012));
}

TEST(PeakInstallSpace, TemporaryFilesAndReplacedCopies) {
  struct Case {
    std::vector<unsigned long long> newSizes, oldSizes;
    unsigned long long peak, batched; // one temporary file at a time; all of them before any rename
  } cases[] = {
      {{}, {}, 0, 0},
      {{4096, 8192}, {0, 0}, 12288, 12288},                     // a fresh install takes its total
      {{1, 4097}, {0, 0}, 4096 + 8192, 4096 + 8192},            // whole clusters
      {{8192, 4096}, {8192, 4096}, 8192, 12288},                // a reinstall needs its largest temporary file
      {{4096, 40960, 4096}, {4096, 40960, 4096}, 40960, 49152}, // wherever it comes
      {{40960, 4096}, {0, 4096}, 40960 + 4096, 40960 + 4096},   // a new file first, then a replaced one
      {{4096, 4096}, {40960, 0}, 4096, 8192},                   // a file that shrinks makes room for later ones
  };
  for (const Case &c : cases) {
    int n = static_cast<int>(c.newSizes.size());
    EXPECT_EQ(PeakInstallSpace(c.newSizes.data(), c.oldSizes.data(), n, 4096), c.peak);
    EXPECT_EQ(PeakInstallSpace(c.newSizes.data(), c.oldSizes.data(), n, 4096, 1), c.batched);
  }
}

} // namespace
