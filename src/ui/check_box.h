#ifndef VELLUMINE_UI_CHECK_BOX_H
#define VELLUMINE_UI_CHECK_BOX_H

// Check boxes that paint their own glyph and a glyph-font label; installed by replacing the control's window
// procedure. Both boxes share one slot for the procedure they replaced.
#include <windows.h>

extern WNDPROC PrevCheckBoxProc;

LRESULT CALLBACK CheckBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintCheckBox(HWND window, HDC dc);

#endif
