#ifndef VELLUMINE_GLYPH_GLYPH_FONT_H
#define VELLUMINE_GLYPH_GLYPH_FONT_H

// The built-in glyph font: payload 110 held as four monochrome sheets in memory drawing contexts, built once at
// start-up and released after the last window is gone.
#include <windows.h>

#include "glyph/glyph_cell.h"

enum GlyphFontOutcome { GlyphFontBuilt, GlyphFontNoMemory, GlyphFontNotInflated, GlyphFontSheetFailed };

enum {
  GlyphFontPayloadId = 110,
  GlyphFontBufferSize = 307200 // the longest font data accepted
};

struct GlyphSheet {
  HBITMAP bitmap;
  HDC context;         // holds the bitmap; glyphs are copied out of it
  HGDIOBJ savedObject; // what the context held before the bitmap
};

extern GlyphSheet GlyphFont[GlyphSheetCount];

GlyphFontOutcome LoadGlyphFont();
// Releases every sheet that exists; safe after any outcome of LoadGlyphFont, and twice.
void ReleaseGlyphFont();

#endif
