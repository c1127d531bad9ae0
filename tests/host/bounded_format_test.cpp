#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/bounded_format.h"

namespace {

TEST(BoundedFormat, FormatsAndCuts) {
  char out[16];
  EXPECT_EQ(BoundedFormat(out, sizeof out, "%s\\%s", "E:\\V", "a.bin"), 10);
  EXPECT_STREQ(out, "E:\\V\\a.bin");
  EXPECT_EQ(BoundedFormat(out, sizeof out, "%c%s", 'e', ":\\Vellumine"), 12);
  EXPECT_STREQ(out, "e:\\Vellumine");
  EXPECT_EQ(BoundedFormat(out, sizeof out, "[%d|%d|%d]", 0, -7, INT_MIN), 18);
  EXPECT_STREQ(out, "[0|-7|-21474836"); // cut to 15 bytes and a NUL
  EXPECT_EQ(BoundedFormat(out, sizeof out, "100%% %s", static_cast<const char *>(nullptr)), 5);
  EXPECT_STREQ(out, "100% ");
  EXPECT_EQ(BoundedFormat(out, 4, "%s", "abcdef"), 6);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(BoundedFormat(out, 1, "%d", 12345), 5);
  EXPECT_STREQ(out, "");
  out[0] = 'x';
  EXPECT_EQ(BoundedFormat(out, 0, "abc"), 3);
  EXPECT_EQ(out[0], 'x') << "nothing written into no room";
  EXPECT_EQ(BoundedFormat(out, sizeof out, "%d%%", INT_MAX), 11);
  EXPECT_STREQ(out, "2147483647%");
  EXPECT_EQ(BoundedFormat(out, sizeof out, "trail%"), 6);
  EXPECT_STREQ(out, "trail%");
}

} // namespace
