#ifndef VELLUMINE_GLYPH_GLYPH_CELL_H
#define VELLUMINE_GLYPH_GLYPH_CELL_H

// Where a two-byte GBK character's 16x16 glyph lies in the glyph sheets. Portable.

enum {
  GlyphSheetCount = 4,
  GlyphSheetWidth = 512,
  GlyphSheetHeight = 944,
  GlyphSheetBytes = 60416, // 944 rows of 64 bytes
  GlyphCellSize = 16
};

struct GlyphCell {
  int sheet; // 0 to 3
  int x;     // 0 to 496, a multiple of 16
  int y;     // 0 to 928, a multiple of 16
};

// The cell of code (lead byte * 256 + trail byte). Any value is accepted; the result always lies inside a sheet.
GlyphCell MapGbkToGlyphCell(unsigned short code);

#endif
