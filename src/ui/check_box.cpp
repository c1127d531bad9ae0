// The self-painted check boxes' window procedure: their glyph and their glyph-font label.
#include "ui/check_box.h"

#include "glyph/mixed_text.h"
#include "resources/resource_ids.h"
#include "ui/check_box_geometry.h"
#include "ui/texts.h"

WNDPROC PrevCheckBoxProc;

LRESULT CALLBACK CheckBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintCheckBox(window, dc);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_LBUTTONDOWN:
    InvalidateRect(window, nullptr, TRUE);
    return CallWindowProcA(PrevCheckBoxProc, window, message, wParam, lParam);
  default: return CallWindowProcA(PrevCheckBoxProc, window, message, wParam, lParam);
  }
}

void PaintCheckBox(HWND window, HDC dc) {
  int checked = SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
  RECT client;
  GetClientRect(window, &client);
  int kind = static_cast<int>(GetWindowLongA(window, GWL_STYLE) & 0xFF);
  CheckBoxGeometry g = ComputeCheckBoxGeometry(client.right, client.bottom, kind);
  RECT area = {g.area.left, g.area.top, g.area.right, g.area.bottom};
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  UINT state = checked ? DFCS_CHECKED : 0;
  if (g.glyph == GlyphRadio)
    state |= DFCS_BUTTONRADIO;
  if (!IsWindowEnabled(window))
    state |= DFCS_INACTIVE;
  RECT box = {g.box.left, g.box.top, g.box.right, g.box.bottom};
  DrawFrameControl(dc, &box, DFC_BUTTON, state);

  char label[128] = "";
  switch (GetDlgCtrlID(window)) {
  case IDC_DESKTOP_ICON: lstrcpynA(label, LabelDesktopIcon, sizeof label); break;
  case IDC_AUTOSTART: lstrcpynA(label, LabelAutoStart, sizeof label); break;
  default: GetWindowTextA(window, label, 127); // at most 126 bytes
  }
  SIZE size = MeasureMixedText(dc, label);
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawMixedText(dc, g.labelX, g.labelY, label);
  SetTextColor(dc, oldText);
  if (GetFocus() == window) {
    BoxRect f = CheckBoxFocusRect(g, size.cx, size.cy);
    RECT focus = {f.left, f.top, f.right, f.bottom};
    DrawFocusRect(dc, &focus);
  }
}
