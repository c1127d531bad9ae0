#ifndef VELLUMINE_GLYPH_MIXED_TEXT_H
#define VELLUMINE_GLYPH_MIXED_TEXT_H

// Measuring and drawing texts that mix single-byte characters (the context's font) with two-byte GBK characters
// (16x16 glyphs from the glyph font, each pixel a GlyphScale x GlyphScale block). A line is always 16 glyph pixels
// high: 16 at 100 %, 32 at 200 %.
#include <windows.h>

// The sum of the characters' widths, and 16 glyph pixels. A single-byte character whose extent cannot be read
// counts 0.
SIZE MeasureMixedText(HDC dc, const char *text);

// Draws text with the top-left corner of its first glyph cell at (x, y); single-byte characters one pixel lower at
// 100 %, as far lower as keeps their middle on the glyphs' elsewhere (LetterDrop).
// Glyphs and letters alike are inked in the context's text colour; their paper leaves the destination as it was.
// The background mode is transparent while drawing and restored afterwards.
void DrawMixedText(HDC dc, int x, int y, const char *text);

#endif
