#ifndef VELLUMINE_UI_BUTTON_PAINTER_H
#define VELLUMINE_UI_BUTTON_PAINTER_H

#include <windows.h>

// Paints one owner-drawn button or label for a draw-item notification received by owner: the bilingual label
// from the glyph font, the 3D frame, the default button's frame, the pressed look and the focus rectangle, in the
// system's colours (the label and the default frame in the button text colour, readable under contrast schemes).
// A framed label too wide for its frame is narrowed, down to a floor, and beyond it clipped to the frame.
void DrawButtonItem(const DRAWITEMSTRUCT *item, HWND owner);

// Releases the narrowed fonts that the painter made and kept; after the last window is gone.
void ReleaseNarrowedFonts();

#endif
