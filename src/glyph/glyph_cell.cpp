// Where a two-byte GBK character's 16x16 glyph lies in the glyph sheets. Portable.
#include "glyph/glyph_cell.h"

GlyphCell MapGbkToGlyphCell(unsigned short code) {
  // Two codes outside the font's dense area have cells of their own on the last sheet.
  if (code == 0xE946)
    return GlyphCell{3, 0, 896};
  if (code == 0xA9A4)
    return GlyphCell{3, 16, 896};

  unsigned d = static_cast<unsigned short>(code - 0xA0A0u);
  int high = static_cast<int>(d / 256), low = static_cast<int>(d % 256);
  int v = 96 * high + low;
  int s, t;
  if (code < 0xB0A1) {
    s = v - 97;
    t = v - 97;
  } else {
    s = v - 1537;
    t = v - 879;
  }
  int q = s / 96; // truncates toward zero
  unsigned n = static_cast<unsigned short>(t - 2 * q);

  GlyphCell cell;
  cell.x = 16 * static_cast<int>(n % 32);
  int r = static_cast<int>(n / 32);
  cell.y = (16 * r) % GlyphSheetHeight;
  cell.sheet = (16 * r) / GlyphSheetHeight;
  if (cell.sheet > 3)
    cell.sheet = 3;
  return cell;
}
