#include <gtest/gtest.h>

#include "glyph/glyph_font.h"
#include "glyph/mixed_text.h"
#include "paint_harness.h"

namespace {

int Width(HDC dc, char c) {
  SIZE s;
  GetTextExtentPointA(dc, &c, 1, &s);
  return s.cx;
}

// Copies the 16x16 cell of code to (x, y) of a surface, as the reference for a drawn glyph.
void ReferenceGlyph(Surface &s, int x, int y, unsigned short code) {
  GlyphCell cell = MapGbkToGlyphCell(code);
  BitBlt(s.dc, x, y, 16, 16, GlyphFont[cell.sheet].context, cell.x, cell.y, SRCAND);
}

class MixedText : public ::testing::Test {
protected:
  void SetUp() override { EnsureGlyphFont(); }
};

TEST_F(MixedText, MeasuresGlyphsAs16AndLettersInTheFont) {
  Surface s(10, 10);
  SIZE empty = MeasureMixedText(s.dc, "");
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, 16);
  SIZE next = MeasureMixedText(s.dc, "下一步 Next");
  EXPECT_EQ(next.cx, 48 + Width(s.dc, ' ') + Width(s.dc, 'N') + Width(s.dc, 'e') + Width(s.dc, 'x') + Width(s.dc, 't'));
  EXPECT_EQ(next.cy, 16);
  EXPECT_EQ(MeasureMixedText(s.dc, "\xB0").cx, 16) << "a trailing lead byte";
  EXPECT_EQ(MeasureMixedText(s.dc, "\xB0"
                                   "A")
                .cx,
            16)
      << "a lead byte takes the letter after it";
}

TEST_F(MixedText, DrawsEachCharacterWhereItBelongs) {
  struct Case {
    const char *text;
    unsigned short glyph; // the one glyph expected at x 10, or 0 for none
  } cases[] = {{"", 0},
               {"\xB0", 0xB000},
               {"\xB0"
                "A",
                0xB041}};
  for (const Case &c : cases) {
    Surface drawn(60, 40), expected(60, 40);
    SetBkMode(drawn.dc, OPAQUE);
    DrawMixedText(drawn.dc, 10, 20, c.text);
    EXPECT_EQ(GetBkMode(drawn.dc), OPAQUE) << "the background mode is restored";
    if (c.glyph)
      ReferenceGlyph(expected, 10, 20, c.glyph);
    EXPECT_EQ(FirstDifference(drawn, expected), "") << c.text;
  }
  // A letter sits one pixel below the glyph beside it.
  Surface drawn(80, 50), expected(80, 50);
  DrawMixedText(drawn.dc, 10, 20, "A汉");
  SetBkMode(expected.dc, TRANSPARENT);
  TextOutA(expected.dc, 10, 21, "A", 1);
  ReferenceGlyph(expected, 10 + Width(expected.dc, 'A'), 20, 0xBABA);
  EXPECT_EQ(FirstDifference(drawn, expected), "");
}

TEST_F(MixedText, InkIsTheTextColourAndPaperLeavesTheDestination) {
  const COLORREF paper = RGB(200, 100, 50);
  for (COLORREF text : {RGB(0, 0, 0), RGB(255, 255, 0)}) { // as in the default scheme, and a contrast scheme's
    Surface s(40, 40, paper);
    SetTextColor(s.dc, text);
    DrawMixedText(s.dc, 4, 4, "安");
    GlyphCell cell = MapGbkToGlyphCell(0xB0B2);
    int ink = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        bool glyphInk = GetPixel(GlyphFont[cell.sheet].context, cell.x + x, cell.y + y) == RGB(0, 0, 0);
        EXPECT_EQ(s.At(4 + x, 4 + y), glyphInk ? text : paper) << x << "," << y;
        ink += glyphInk;
      }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(s.At(2, 2), paper);
    EXPECT_EQ(GetTextColor(s.dc), text) << "the text colour is left as it was";
  }
}

} // namespace
