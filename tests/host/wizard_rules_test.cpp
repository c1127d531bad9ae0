// The wizard's portable rules: licence lines, the drive text, the Return key's push-button test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/return_key_rule.h"
#include "wizard/drive_text.h"
#include "wizard/licence_lines.h"

namespace {

void Collect(const char *line, void *lines) { static_cast<std::vector<std::string> *>(lines)->push_back(line); }

std::vector<std::string> Split(std::string text, int maxLines = LicenceMaxLines) {
  std::vector<std::string> lines;
  int count = SplitLicenceLines(&text[0], maxLines, Collect, &lines);
  EXPECT_EQ(count, static_cast<int>(lines.size()));
  return lines;
}

typedef std::vector<std::string> Lines;

TEST(LicenceLines, SplitAtCr) {
  struct Case {
    const char *text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}}, // the last line without a CR is kept
      {"a\rb\r", {"a", "b"}},
      {"\r\n\r\nx\r\n", {"", "", "x"}},
      {"a\nb\r\nc", {"a\nb", "c"}}, // a lone LF stays in its line
      {"a\r\n\nb\r\n", {"a", "\nb"}},
      {"\xB0\r\n", {"\xB0"}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Split(c.text), c.lines) << c.text;
  std::string many;
  for (int i = 0; i < 520; ++i)
    many += "line\r\n";
  EXPECT_EQ(Split(many).size(), 500u);
  EXPECT_EQ(Split("a\r\nb\r\ntail", 2), (Lines{"a", "b"}));
}

TEST(DriveText, AcceptedTextsAndTheFolder) {
  struct Case {
    const char *text;
    int accepted;
    const char *folder;
  } cases[] = {{"", 0, ""},
               {"@", 0, ""},
               {"E@", 0, ""},
               {"@E", 0, ""},
               {"E", 1, "E:\\Vellumine"},
               {"EF", 1, "E:\\Vellumine"},
               {"1", 1, "1:\\Vellumine"},
               {"e", 1, "e:\\Vellumine"}};
  for (const Case &c : cases) {
    EXPECT_EQ(DriveTextAccepted(c.text), c.accepted) << c.text;
    if (c.accepted) {
      char folder[260];
      BuildInstallDir(folder, sizeof folder, c.text);
      EXPECT_STREQ(folder, c.folder);
    }
  }
}

TEST(ReturnKeyRule, PushButtonsByClassAndStyle) {
  struct Case {
    const char *className;
    unsigned long style;
    int push;
  } cases[] = {
      {"Button", 0x5001000B, 1},
      {"BUTTON", 0, 1},
      {"button", 1, 1},
      {"bUtToN", 0x0B, 1},
      {"Button", 2, 0},
      {"Button", 3, 0},
      {"Button", 4, 0},
      {"Button", 5, 0},
      {"Button", 6, 0},
      {"Button", 9, 0},
      {"Button", 0x23, 1},
      {"Button", 0x4003, 0},
      {"Edit", 0, 0},
      {"ComboBox", 0, 0},
      {"buttons", 0, 0},
      {"", 0, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(IsPushButtonForReturn(c.className, c.style), c.push) << c.className << " " << std::hex << c.style;
}

} // namespace
