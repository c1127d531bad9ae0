#include <gtest/gtest.h>

#include "ui/message_layout.h"

namespace {

MessageLayoutInput WorkedExample(int buttons) {
  MessageLayoutInput in = {};
  in.buttons = buttons;
  in.chineseWidth = 200;
  in.chineseHeight = 16;
  in.chineseBytes = 30;
  in.englishWidth = 250;
  in.englishHeight = 16;
  in.buttonWidth = 110;
  in.buttonHeight = 29;
  in.frameWidth = 3;
  in.captionHeight = 19;
  in.screenWidth = 1024;
  in.screenHeight = 768;
  in.dpi = 96;
  return in;
}

TEST(MessageLayout, WorkedExampleForEachButtonSet) {
  struct Case {
    int buttons, width, firstId, firstX, firstY, secondId, secondX;
  } cases[] = {
      {0, 314, 1, 102, 109, 0, 0},
      {4, 330, 6, 29, 124, 7, 175},
      {1, 330, 1, 29, 124, 2, 175},
      {-3, 330, 1, 29, 124, 2, 175},
  };
  for (const Case &c : cases) {
    MessageLayout out = ComputeMessageLayout(WorkedExample(c.buttons));
    EXPECT_EQ(out.contentWidth, 314);
    EXPECT_EQ(out.contentHeight, 167);
    EXPECT_EQ(out.width, c.width) << c.buttons;
    EXPECT_EQ(out.height, 167 + 19);
    EXPECT_EQ(out.x, (1024 - 314) / 2) << "centred on W, not on the window's width";
    EXPECT_EQ(out.y, (768 - 167) / 2);
    EXPECT_EQ(out.firstId, c.firstId);
    EXPECT_EQ(out.firstX, c.firstX) << c.buttons;
    EXPECT_EQ(out.firstY, c.firstY) << c.buttons;
    EXPECT_EQ(out.secondId, c.secondId);
    if (c.secondId) {
      EXPECT_EQ(out.secondX, c.secondX);
      EXPECT_EQ(out.secondY, c.firstY);
    }
    EXPECT_EQ(out.chineseTop, 10);
    EXPECT_EQ(out.chineseHeight, 48);
    EXPECT_EQ(out.englishTop, 63);
    EXPECT_EQ(out.englishHeight, 32);
  }
}

TEST(MessageLayout, MarginsAndEmptyEnglish) {
  MessageLayoutInput in = WorkedExample(0);
  in.englishWidth = in.englishHeight = 0;
  MessageLayout out = ComputeMessageLayout(in);
  EXPECT_EQ(out.contentHeight, 3 * (16 + 29));
  EXPECT_EQ(out.contentWidth, 200 + 6 + 58);
  EXPECT_EQ(out.englishHeight, 0);
  in.chineseBytes = 80;
  EXPECT_EQ(ComputeMessageLayout(in).contentWidth, 200 + 6 + 58);
  in.chineseBytes = 81; // no side margin from 81 bytes on
  EXPECT_EQ(ComputeMessageLayout(in).contentWidth, 200 + 6);
  EXPECT_EQ(ComputeMessageLayout(in).width, 220) << "the minimum width governs";
  // The measured sizes grow with the display scale by themselves; the gap between the lines is the layout's own.
  MessageLayoutInput scaled = WorkedExample(0);
  scaled.dpi = 192;
  EXPECT_EQ(ComputeMessageLayout(scaled).englishTop, 63 + 5) << "the 5-pixel gap is 10 at 200 %";
}

} // namespace
