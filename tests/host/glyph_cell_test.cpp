#include <gtest/gtest.h>

#include "base/dpi_scale.h"
#include "glyph/glyph_cell.h"

namespace {

struct CellCase {
  unsigned short code;
  int sheet, x, y;
};

TEST(GlyphCell, KnownCodes) {
  const CellCase cases[] = {
      {0xA1A1, 0, 0, 0},     {0xA1A2, 0, 16, 0},    {0xA7FE, 0, 272, 320}, {0xB0A1, 0, 288, 320}, {0xB0A2, 0, 304, 320},
      {0xA8A1, 0, 288, 320}, {0xAFFE, 0, 16, 704},  {0xD7F9, 2, 448, 304}, {0xD8A1, 2, 32, 320},  {0xF7FE, 3, 16, 880},
      {0xFEFE, 3, 304, 256}, {0xE946, 3, 0, 896},   {0xA9A4, 3, 16, 896},  {0xB0A0, 0, 48, 704},  {0xB000, 0, 48, 704},
      {0xA140, 0, 496, 16},  {0xA1A0, 3, 496, 656}, {0x8140, 3, 496, 160},
  };
  for (const CellCase &c : cases) {
    GlyphCell cell = MapGbkToGlyphCell(c.code);
    EXPECT_EQ(cell.sheet, c.sheet) << std::hex << c.code;
    EXPECT_EQ(cell.x, c.x) << std::hex << c.code;
    EXPECT_EQ(cell.y, c.y) << std::hex << c.code;
  }
}

TEST(GlyphCell, EveryCodeLiesInsideItsSheet) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    GlyphCell cell = MapGbkToGlyphCell(static_cast<unsigned short>(code));
    ASSERT_GE(cell.sheet, 0);
    ASSERT_LE(cell.sheet, 3);
    ASSERT_EQ(cell.x % 16, 0);
    ASSERT_EQ(cell.y % 16, 0);
    ASSERT_GE(cell.x, 0);
    ASSERT_GE(cell.y, 0);
    ASSERT_LE(cell.x + 16, GlyphSheetWidth) << code;
    ASSERT_LE(cell.y + 16, GlyphSheetHeight) << code;
  }
}

TEST(GlyphCell, Gb2312CodesFollowTheClosedForms) {
  for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      unsigned code = lead << 8 | trail;
      if (code == 0xE946 || code == 0xA9A4)
        continue;
      int row = static_cast<int>(lead) - 0xA0, pos = static_cast<int>(trail) - 0xA0;
      int n = code < 0xB0A1 ? 94 * (row - 1) + (pos - 1) : 658 + 94 * (row - 16) + (pos - 1);
      if (n >= 7552)
        continue;
      GlyphCell cell = MapGbkToGlyphCell(static_cast<unsigned short>(code));
      ASSERT_EQ(cell.sheet, n / 1888) << std::hex << code;
      ASSERT_EQ(cell.y, 16 * ((n / 32) % 59)) << std::hex << code;
      ASSERT_EQ(cell.x, 16 * (n % 32)) << std::hex << code;
    }
}

// Glyphs grow by whole pixels, the nearest to DPI / 96 with a half rounding down; a letter's drop below its glyph
// row is one pixel at 100 %, two at 200 %, and at 150 % keeps the letters' middle against a glyph row of 16 pixels.
TEST(DisplayScale, GlyphScaleAndLetterDrop) {
  const int scales[][2] = {{72, 1}, {96, 1}, {120, 1}, {144, 1}, {145, 2}, {192, 2}, {240, 2}, {241, 3}, {288, 3}};
  for (const auto &c : scales)
    EXPECT_EQ(GlyphScaleFor(c[0]), c[1]) << c[0];
  const int drops[][3] = {{13, 96, 1}, {30, 96, 1}, {26, 192, 2}, {20, 144, -2}}; // font height, dpi, drop
  for (const auto &c : drops)
    EXPECT_EQ(LetterDrop(c[0], c[1]), c[2]) << c[0] << " at " << c[1];
}

} // namespace
