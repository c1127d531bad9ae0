#ifndef VELLUMINE_UI_BUTTON_PAINTER_H
#define VELLUMINE_UI_BUTTON_PAINTER_H

#include <windows.h>

// Paints one owner-drawn button or label for a draw-item notification received by owner: the bilingual label
// from the glyph font, the 3D frame, the default button's black frame, the pressed look and the focus rectangle.
void DrawButtonItem(const DRAWITEMSTRUCT *item, HWND owner);

#endif
