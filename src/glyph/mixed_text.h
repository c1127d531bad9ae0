#ifndef VELLUMINE_GLYPH_MIXED_TEXT_H
#define VELLUMINE_GLYPH_MIXED_TEXT_H

// Measuring and drawing texts that mix single-byte characters (the context's font) with two-byte GBK characters
// (16x16 glyphs from the glyph font). A line is always 16 pixels high.
#include <windows.h>

// The sum of the characters' widths, and 16. A single-byte character whose extent cannot be read counts 0.
SIZE MeasureMixedText(HDC dc, const char *text);

// Draws text with the top-left corner of its first 16x16 cell at (x, y); single-byte characters one pixel lower.
// Glyphs and letters alike are inked in the context's text colour; their paper leaves the destination as it was.
// The background mode is transparent while drawing and restored afterwards.
void DrawMixedText(HDC dc, int x, int y, const char *text);

#endif
