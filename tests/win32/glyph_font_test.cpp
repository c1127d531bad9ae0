#include <gtest/gtest.h>

#include "app/globals.h"
#include "glyph/glyph_font.h"
#include "store_harness.h"

namespace {

// Whether pixel (px, py) of cell n of font data is paper.
bool FilePaper(const Bytes &font, int n, int px, int py) {
  size_t at = static_cast<size_t>(1024 * (n / 32) + 64 * py + 2 * (n % 32) + px / 8);
  if (at >= font.size())
    return true;
  return (font[at] >> (7 - px % 8)) & 1;
}

bool SheetPaper(const GlyphCell &cell, int px, int py) {
  return GetPixel(GlyphFont[cell.sheet].context, cell.x + px, cell.y + py) != RGB(0, 0, 0);
}

int CellNumber(const GlyphCell &cell) { return (cell.sheet * 944 + cell.y) / 16 * 32 + cell.x / 16; }

// Every pixel of the cell of code on the sheets equals the font data; returns the ink count.
int CompareCell(const Bytes &font, unsigned short code) {
  GlyphCell cell = MapGbkToGlyphCell(code);
  int ink = 0;
  for (int py = 0; py < 16; ++py)
    for (int px = 0; px < 16; ++px) {
      bool paper = SheetPaper(cell, px, py);
      EXPECT_EQ(paper, FilePaper(font, CellNumber(cell), px, py)) << std::hex << code << " at " << px << "," << py;
      ink += !paper;
    }
  return ink;
}

TEST(LoadGlyphFont, BuildsFourSheetsFromTheFont) {
  ScopedAppInstance self(GetModuleHandleA(nullptr));
  Bytes font = SourceFile("payload/ChnBmp.bin");
  ASSERT_EQ(font.size(), 141312u);
  ASSERT_EQ(LoadGlyphFont(), GlyphFontBuilt);
  for (const GlyphSheet &sheet : GlyphFont) {
    EXPECT_NE(sheet.bitmap, nullptr);
    EXPECT_NE(sheet.context, nullptr);
  }
  for (unsigned short code : {0xBABA /* han */, 0xB0B2 /* an */, 0xA3DF /* full-width low line */})
    EXPECT_GT(CompareCell(font, code), 0) << std::hex << code;
  EXPECT_EQ(CompareCell(font, 0xA1A1), 0) << "the ideographic space is blank";
  // cells past the data are blank: the special cells and the level-2 hanzi
  for (unsigned short code : {0xE946, 0xA9A4, 0xD8A1, 0xF7FE})
    EXPECT_EQ(CompareCell(font, code), 0) << std::hex << code;
  ReleaseGlyphFont();
  for (const GlyphSheet &sheet : GlyphFont)
    EXPECT_EQ(sheet.context, nullptr);
  ReleaseGlyphFont(); // twice is harmless
}

TEST(LoadGlyphFont, OutcomesOfOtherFontData) {
  Bytes font = SourceFile("payload/ChnBmp.bin");
  Bytes longest(GlyphFontBufferSize, 0xFF), tooLong(GlyphFontBufferSize + 1, 0xFF);
  Bytes shortFont(font.begin(), font.begin() + 1024 * 30); // 30 cell rows: hanzi start at cell row 20
  struct Case {
    const char *module;
    std::vector<StoreEntry> entries;
    GlyphFontOutcome outcome;
  } cases[] = {
      {"font_missing", {{111, Deflate(font)}}, GlyphFontNotInflated},
      {"font_too_long", {{110, Deflate(tooLong)}}, GlyphFontNotInflated},
      {"font_damaged", {{110, Bytes(font.begin(), font.begin() + 100)}}, GlyphFontNotInflated},
      {"font_longest", {{110, Deflate(longest)}}, GlyphFontBuilt},
      {"font_short", {{110, Deflate(shortFont)}}, GlyphFontBuilt},
  };
  for (Case &c : cases) {
    HMODULE store = MakeStoreModule(c.module, c.entries);
    ASSERT_NE(store, nullptr) << c.module;
    ScopedAppInstance use(store);
    EXPECT_EQ(LoadGlyphFont(), c.outcome) << c.module;
    if (c.outcome == GlyphFontNotInflated) {
      for (const GlyphSheet &sheet : GlyphFont)
        EXPECT_EQ(sheet.bitmap, nullptr) << c.module;
    }
    if (std::string(c.module) == "font_short") {
      EXPECT_GT(CompareCell(shortFont, 0xB0A1), 0) << "a cell inside the short data";
      EXPECT_EQ(CompareCell(shortFont, 0xBABA), 0) << "a cell past its end is blank";
    }
    ReleaseGlyphFont();
    FreeLibrary(store);
  }
}

} // namespace
