// Every two-byte character the installer shows, of its own texts and of its Chinese licence, has a glyph in the
// built-in font.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "glyph/glyph_cell.h"
#include "glyph/mixed_walk.h"
#include "ui/texts.h"

namespace {

std::string ReadPayload(const char *name) {
  std::ifstream in(std::string(VELLUMINE_PAYLOAD_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CellHasInk(const std::string &font, unsigned short code) {
  GlyphCell cell = MapGbkToGlyphCell(code);
  int n = (cell.sheet * GlyphSheetHeight + cell.y) / 16 * 32 + cell.x / 16;
  for (int p = 0; p < 16; ++p)
    for (int b = 0; b < 2; ++b) {
      size_t at = static_cast<size_t>(1024 * (n / 32) + 64 * p + 2 * (n % 32) + b);
      if (at < font.size() && static_cast<unsigned char>(font[at]) != 0xFF)
        return true;
    }
  return false;
}

// The two-byte characters of text that have no glyph, as "XXXX " codes.
std::string Uncovered(const std::string &font, const std::string &text) {
  std::string missing;
  int index = 0;
  MixedChar ch;
  while (NextMixedChar(text.c_str(), static_cast<int>(text.size()), &index, &ch))
    if (ch.wide && ch.code != 0xA1A1 && !CellHasInk(font, ch.code)) {
      char hex[8];
      snprintf(hex, sizeof hex, "%04X ", ch.code);
      missing += hex;
    }
  return missing;
}

TEST(GlyphCoverage, LicenceAndEveryTextOfTheInstaller) {
  std::string font = ReadPayload("ChnBmp.bin");
  ASSERT_EQ(font.size(), 141312u);
  std::string licence = ReadPayload("LICENSE_cn.txt");
  ASSERT_FALSE(licence.empty());
  EXPECT_EQ(Uncovered(font, licence), "");
  int wide = 0;
  for (int i = 0; i < AllTextCount; ++i) {
    EXPECT_EQ(Uncovered(font, AllTexts[i]), "") << i;
    for (const char *p = AllTexts[i]; *p; ++p)
      wide += (*p & 0x80) != 0;
  }
  EXPECT_GT(wide, 100) << "the texts are GBK";
}

} // namespace
