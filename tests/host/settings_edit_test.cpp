#include <gtest/gtest.h>

#include <string>

#include "install/settings_edit.h"

namespace {

std::string Edit(const std::string &text, int code) {
  std::string out(EditedSettingsCapacity(text.size()), '?');
  size_t length = EditUiLanguage(text.data(), text.size(), code, &out[0], out.size());
  EXPECT_GT(length, 0u);
  out.resize(length);
  return out;
}

TEST(EditUiLanguage, RecordsTheCode) {
  const std::string block1 = "\r\n[Config]\r\nUILanguage=1\r\n\r\n";
  std::string longLine(300, 'x');
  struct Case {
    const char *what;
    std::string before;
    int code;
    std::string after;
  } cases[] = {
      {"as extracted", "[UI_STR]\r\nTitle=T\r\n", 1, "[UI_STR]\r\nTitle=T\r\n" + block1},
      {"an empty file", "", 1, block1},
      {"no final line end", "[UI_STR]\r\nTitle=T", 1, "[UI_STR]\r\nTitle=T" + block1},
      {"rewritten, no second section", "[UI_STR]\r\n[Config]\r\nUILanguage=0\r\n\r\n", 2,
       "[UI_STR]\r\n[Config]\r\nUILanguage=2\r\n\r\n"},
      {"a longer old value", "[Config]\r\nUILanguage=12\r\nNext=1\r\n", 1, "[Config]\r\nUILanguage=1\r\nNext=1\r\n"},
      {"an empty value", "[Config]\r\nUILanguage=\r\nNext=1\r\n", 2, "[Config]\r\nUILanguage=2\r\nNext=1\r\n"},
      {"an empty value at the end", "[Config]\r\nUILanguage=", 0, "[Config]\r\nUILanguage=0"},
      {"a comment and a longer key", "; UILanguage=5\r\nXUILanguage=5\r\n", 2,
       "; UILanguage=5\r\nXUILanguage=5\r\n" + std::string("\r\n[Config]\r\nUILanguage=2\r\n\r\n")},
      {"indented key", " UILanguage=5\r\n", 0, " UILanguage=5\r\n\r\n[Config]\r\nUILanguage=0\r\n\r\n"},
      {"beyond byte 255 of a long line", longLine + "\r\nUILanguage=7\r\n", 1, longLine + "\r\nUILanguage=1\r\n"},
      {"key straddling a 255-byte read", std::string(250, 'y') + "\nUILanguage=9\n", 0,
       std::string(250, 'y') + "\nUILanguage=0\n"},
      {"LF-only line ends", "[UI_STR]\nUILanguage=1\nA=b\n", 2, "[UI_STR]\nUILanguage=2\nA=b\n"},
      {"only the first exact key", "UILanguage=3\r\nUILanguage=4\r\n", 1, "UILanguage=1\r\nUILanguage=4\r\n"},
      {"first line of the file", "UILanguage=0", 2, "UILanguage=2"},
      {"lone CR ends the value", "UILanguage=00\rrest\r\n", 1, "UILanguage=1\rrest\r\n"},
      {"negative code", "UILanguage=1\r\n", -1, "UILanguage=-1\r\n"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Edit(c.before, c.code), c.after) << c.what;
}

TEST(EditUiLanguage, RefusesTooSmallOutput) {
  char out[8];
  EXPECT_EQ(EditUiLanguage("abc", 3, 1, out, sizeof out), 0u);
  EXPECT_EQ(EditUiLanguage("UILanguage=1", 12, 1, out, sizeof out), 0u);
}

} // namespace
