#include <gtest/gtest.h>

#include "app/globals.h"
#include "store/payload_store.h"
#include "store_harness.h"

namespace {

TEST(InflatePayload, ReadsEveryCarriedEntryAndNothingElse) {
  ScopedAppInstance self(GetModuleHandleA(nullptr));
  Bytes licence = SourceFile("payload/LICENSE_cn.txt");
  ASSERT_FALSE(licence.empty());
  Bytes buffer(licence.size() + 100, 0xEE);
  unsigned long length = 0;
  ASSERT_EQ(InflatePayload(124, buffer.data(), static_cast<unsigned long>(buffer.size()), &length), 1);
  ASSERT_EQ(length, licence.size());
  EXPECT_TRUE(std::equal(licence.begin(), licence.end(), buffer.begin()));
  EXPECT_EQ(buffer[length], 0xEE) << "nothing is appended";

  // exactly enough room, then one byte too little
  EXPECT_EQ(InflatePayload(124, buffer.data(), static_cast<unsigned long>(licence.size()), &length), 1);
  EXPECT_EQ(InflatePayload(124, buffer.data(), static_cast<unsigned long>(licence.size() - 1), &length), 0);

  // missing entries: the launchers and the ones that are not carried
  for (unsigned short id : {1039, 1040, 228, 235, 1029, 0})
    EXPECT_EQ(InflatePayload(id, buffer.data(), static_cast<unsigned long>(buffer.size()), &length), 0) << id;

  // every stored entry begins with the highest-level header
  for (unsigned short id : {200, 208, 110, 124, 161, 109}) {
    Bytes raw = OwnEntry(id);
    ASSERT_GE(raw.size(), 2u) << id;
    EXPECT_EQ(raw[0], 0x78);
    EXPECT_EQ(raw[1], 0xDA);
  }
}

TEST(InflatePayload, DamagedStreamsFail) {
  Bytes good = OwnEntry(124);
  ASSERT_FALSE(good.empty());
  Bytes badHeader = good, badData = good, badChecksum = good, truncated = good;
  badHeader[0] = 0x79;
  badData[good.size() / 2] ^= 0x55;
  badChecksum[good.size() - 1] ^= 0x01;
  truncated.resize(good.size() - 5);
  HMODULE store = MakeStoreModule(
      "store_damaged", {{1, good}, {2, badHeader}, {3, badData}, {4, badChecksum}, {5, truncated}, {6, Bytes()}});
  ASSERT_NE(store, nullptr);
  ScopedAppInstance use(store);
  Bytes buffer(65536);
  unsigned long length = 0;
  EXPECT_EQ(InflatePayload(1, buffer.data(), 65536, &length), 1) << "the intact copy reads";
  for (unsigned short id = 2; id <= 6; ++id)
    EXPECT_EQ(InflatePayload(id, buffer.data(), 65536, &length), 0) << id;
  FreeLibrary(store);
}

} // namespace
