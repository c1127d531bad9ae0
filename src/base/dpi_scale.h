#ifndef VELLUMINE_BASE_DPI_SCALE_H
#define VELLUMINE_BASE_DPI_SCALE_H

// The wizard at the screen's display scale (dots per inch; 96 at 100 %). Portable.

// Glyphs grow by whole pixels: each pixel of a 16x16 cell is an n x n block, n the whole number nearest DPI / 96,
// a half rounding down: 96-144 give 1, 145-240 give 2, 241-336 give 3. No smoothing, no fractional scaling.
inline int GlyphScaleFor(int dpi) {
  int n = (dpi + 47) / 96;
  return n > 1 ? n : 1;
}

// What the wizard draws as part of its dialogs (insets, shifts, margins, item heights) grows as the dialog units
// around it do: by DPI / 96, rounded.
inline int ScaledToDpi(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

// How far below its glyph row a letter's top sits, for the dialog font fontHeight pixels high at dpi: one pixel at
// 100 %; elsewhere as far as keeps the letter's middle where it is at 100 % against the glyphs' middle, scaled by
// the glyph scale (the font was fontHeight * 96 / dpi high at 100 %).
inline int LetterDrop(int fontHeight, int dpi) {
  int n = GlyphScaleFor(dpi);
  return n + (n * fontHeight * 96 / dpi - fontHeight) / 2;
}

#endif
