#include <gtest/gtest.h>

#include <string>

#include "ui/button_layout.h"
#include "ui/texts.h"

namespace {

std::string Describe(const FrameSegment *s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i)
    out += "ABK"[s[i].pen] + std::string(" ") + std::to_string(s[i].x0) + "," + std::to_string(s[i].y0) + ">" +
           std::to_string(s[i].x1) + "," + std::to_string(s[i].y1) + "|";
  return out;
}

TEST(ButtonFrame, WorkedExampleOrdinaryAndDefault) {
  const std::string rings = "A 1,24>1,1|A 1,1>98,1|B 98,1>98,24|B 98,24>1,24|"
                            "A 2,23>2,2|A 2,2>97,2|B 97,2>97,23|B 97,23>2,23|";
  FrameSegment s[MaxFrameSegments];
  int n = ButtonFrameSegments(0, 0, 100, 26, 0, s);
  EXPECT_EQ(Describe(s, n), rings + "B 1,25>99,25|B 99,25>99,0|");
  n = ButtonFrameSegments(0, 0, 100, 26, 1, s);
  EXPECT_EQ(Describe(s, n), rings + "K 0,25>0,0|K 0,0>99,0|K 99,0>99,25|K 99,25>0,25|K 1,24>98,24|K 98,24>98,1|");
  n = ButtonFrameSegments(10, 20, 110, 46, 0, s);
  EXPECT_EQ(s[0].x0, 11);
  EXPECT_EQ(s[0].y0, 44);
}

TEST(ButtonLayout, FlagsAndLabelsByIdentifier) {
  struct Case {
    int id, centred, framed;
    ButtonLabelKind kind;
    const char *label;
  } cases[] = {
      {1, 1, 1, LabelFixed, LabelOk},
      {2, 1, 1, LabelFixed, LabelCancel},
      {3, 1, 1, LabelFixed, LabelBack},
      {6, 1, 1, LabelFixed, LabelYes},
      {7, 1, 1, LabelFixed, LabelNo},
      {1003, 1, 1, LabelFixed, LabelBrowse},
      {1006, 0, 0, LabelFixed, LabelInstallPath},
      {1008, 0, 0, LabelFixed, LabelDirectories},
      {1009, 1, 0, LabelFixed, LabelBrand},
      {1010, 0, 0, LabelFixed, LabelDrives},
      {1011, 1, 0, LabelFixed, LabelEdition},
      {1012, 1, 0, LabelFixed, LabelInstaller},
      {1013, 1, 0, LabelWindowText, nullptr},
      {1016, 0, 0, LabelFixed, LabelUsbHint},
      {1017, 1, 0, LabelFixed, LabelLanguage},
      {1018, 1, 0, LabelWindowText, nullptr},
      {1020, 1, 0, LabelNone, nullptr},
      {1021, 0, 0, LabelFixed, ""},
      {4242, 1, 1, LabelWindowText, nullptr},
  };
  for (const Case &c : cases) {
    ButtonLayout layout = ButtonLayoutFor(c.id);
    EXPECT_EQ(layout.centred, c.centred) << c.id;
    EXPECT_EQ(layout.framed, c.framed) << c.id;
    ButtonLabelKind kind;
    const char *label = ButtonLabel(c.id, 0, &kind);
    EXPECT_EQ(kind, c.kind) << c.id;
    EXPECT_EQ(label ? std::string(label) : "<none>", c.label ? std::string(c.label) : "<none>") << c.id;
  }
  ButtonLabelKind kind;
  for (int page : {-1, 0, 1, 99})
    EXPECT_EQ(ButtonLabel(1001, page, &kind), LabelNext) << page;
  EXPECT_EQ(ButtonLabel(1001, 2, &kind), LabelAgreeInstall);
}

} // namespace
