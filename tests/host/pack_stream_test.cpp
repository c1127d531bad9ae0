#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "install/manifest.h"
#include "pack_stream.h"

namespace {

std::vector<unsigned char> Inflate(const std::vector<unsigned char> &stream, size_t capacity, int &result) {
  std::vector<unsigned char> out(capacity);
  uLongf length = static_cast<uLongf>(capacity);
  result = uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size()));
  out.resize(length);
  return out;
}

TEST(PackStream, RoundTripsWithTheHighestLevelHeader) {
  std::vector<std::vector<unsigned char>> inputs = {{}, {'a'}, std::vector<unsigned char>(100000, 'x')};
  std::vector<unsigned char> noise(70000);
  unsigned s = 1;
  for (auto &b : noise)
    b = static_cast<unsigned char>((s = s * 1103515245u + 12345u) >> 24);
  inputs.push_back(noise);
  // Every committed file of ours goes through the packer.
  for (const ManifestRow &row : Manifest) {
    if (row.kind != KindAuthored)
      continue;
    std::ifstream in(std::string(VELLUMINE_PAYLOAD_DIR) + "/" + row.destination, std::ios::binary);
    ASSERT_TRUE(in) << row.destination;
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  for (int zopfli : {0, PackStreamHasZopfli() ? 2 : 0})
    for (const auto &input : inputs) {
      std::vector<unsigned char> stream;
      ASSERT_TRUE(PackStream(input, stream, zopfli));
      ASSERT_GE(stream.size(), 2u);
      EXPECT_EQ(stream[0], 0x78);
      EXPECT_EQ(stream[1], 0xDA);
      int result;
      EXPECT_EQ(Inflate(stream, input.size() + 1, result), input);
      EXPECT_EQ(result, Z_OK);
      if (input.size() > 1) {                      // (zlib lets a one-byte stream through a zero capacity)
        Inflate(stream, input.size() - 1, result); // one byte short of room
        EXPECT_EQ(result, Z_BUF_ERROR);
      }
    }
}

} // namespace
