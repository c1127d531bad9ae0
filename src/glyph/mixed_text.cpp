// Measuring and drawing texts that mix the context's font with 16x16 glyphs from the glyph font.
#include "glyph/mixed_text.h"

#include "app/globals.h"
#include "base/dpi_scale.h"
#include "glyph/glyph_font.h"
#include "glyph/mixed_walk.h"

namespace {

// The width of the single byte at text in the context's font; 0 when it cannot be read.
int SingleByteWidth(HDC dc, const char *text) {
  SIZE extent;
  return GetTextExtentPointA(dc, text, 1, &extent) ? extent.cx : 0;
}

} // namespace

SIZE MeasureMixedText(HDC dc, const char *text) {
  const int cell = GlyphCellSize * GlyphScale;
  SIZE size = {0, cell};
  int length = lstrlenA(text), index = 0;
  MixedChar ch;
  while (NextMixedChar(text, length, &index, &ch))
    size.cx += ch.wide ? cell : SingleByteWidth(dc, text + index - 1);
  return size;
}

void DrawMixedText(HDC dc, int x, int y, const char *text) {
  int length = lstrlenA(text), index = 0;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  // Glyphs take the text colour, as the letters do, in the brush: the copy turns the sheet's ink (0 bits) into the
  // text colour, white, and its paper into the background colour, black, and DSPDxax (0xE20746) then gives the
  // brush where the source is white and leaves the destination where it is black.
  COLORREF colour = GetTextColor(dc);
  HBRUSH ink = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, ink);
  TEXTMETRICA metrics;
  const int cell = GlyphCellSize * GlyphScale,
            drop = GetTextMetricsA(dc, &metrics) ? LetterDrop(metrics.tmHeight, ScreenDpi) : GlyphScale;
  int pen = x;
  MixedChar ch;
  while (NextMixedChar(text, length, &index, &ch)) {
    if (ch.wide) {
      GlyphCell at = MapGbkToGlyphCell(ch.code);
      const GlyphSheet &sheet = GlyphFont[at.sheet];
      if (sheet.context) { // before the font is built the pen still advances
        SetTextColor(dc, RGB(255, 255, 255));
        COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
        StretchBlt(dc, pen, y, cell, cell, sheet.context, at.x, at.y, GlyphCellSize, GlyphCellSize, 0x00E20746);
        SetBkColor(dc, oldBack);
        SetTextColor(dc, colour);
      }
      pen += cell;
    } else {
      const char *c = text + index - 1;
      int advance = SingleByteWidth(dc, c);
      TextOutA(dc, pen, y + drop, c, 1);
      pen += advance;
    }
  }
  SelectObject(dc, oldBrush);
  DeleteObject(ink);
  SetBkMode(dc, oldMode);
}
