#include "ui/button_painter.h"

#include "app/globals.h"
#include "glyph/mixed_text.h"
#include "ui/button_layout.h"
#include "ui/gbk_text.h"

namespace {

void DrawFrame(HDC dc, const RECT &rc, int selected, int isDefault) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  HPEN penA = CreatePen(PS_SOLID, 1, selected ? dark : light);
  HPEN penB = CreatePen(PS_SOLID, 1, selected ? light : dark);
  HGDIOBJ previous = SelectObject(dc, penA);
  FrameSegment segments[MaxFrameSegments];
  int count = ButtonFrameSegments(rc.left, rc.top, rc.right, rc.bottom, isDefault, segments);
  for (int i = 0; i < count; ++i) {
    const FrameSegment &s = segments[i];
    SelectObject(dc, s.pen == FramePenA ? penA : s.pen == FramePenB ? penB : GetStockObject(BLACK_PEN));
    MoveToEx(dc, s.x0, s.y0, nullptr);
    LineTo(dc, s.x1, s.y1);
  }
  SelectObject(dc, previous);
  DeleteObject(penA);
  DeleteObject(penB);
}

// Where a framed label is wider than the inside of its frame (CJK Windows, and Wine under a CJK locale, give the
// dialog a wider font), the context's font narrowed until the label fits, selected into dc; null where the label
// fits as it is, so that it looks the same there. The caller restores the old font and deletes this one.
HFONT NarrowedToFit(HDC dc, const char *label, int room) {
  TEXTMETRICA metrics;
  LOGFONTA font;
  if (MeasureMixedText(dc, label).cx <= room || !GetTextMetricsA(dc, &metrics) ||
      !GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font))
    return nullptr;
  HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);
  font.lfHeight = metrics.tmHeight;
  for (font.lfWidth = metrics.tmAveCharWidth - 1; font.lfWidth >= 1; --font.lfWidth) {
    HFONT narrowed = CreateFontIndirectA(&font);
    SelectObject(dc, narrowed ? narrowed : original);
    if (!narrowed || MeasureMixedText(dc, label).cx <= room || font.lfWidth == 1)
      return narrowed;
    SelectObject(dc, original);
    DeleteObject(narrowed);
  }
  return nullptr;
}

} // namespace

void DrawButtonItem(const DRAWITEMSTRUCT *item, HWND) {
  if (item->CtlType != ODT_BUTTON)
    return;
  ButtonLayout layout = ButtonLayoutFor(static_cast<int>(item->CtlID));
  HDC dc = item->hDC;
  const RECT &rc = item->rcItem;
  if (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    int selected = (item->itemState & ODS_SELECTED) != 0;
    char label[128] = "";
    ButtonLabelKind kind;
    const char *fixed = ButtonLabel(GetDlgCtrlID(item->hwndItem), WizardPage, &kind);
    if (kind == LabelNone)
      return;
    const char *kept = kind == LabelFixed ? fixed : KeptLabel(item->hwndItem);
    if (kept)
      lstrcpynA(label, kept, kind == LabelFixed ? sizeof label : 80);
    else
      GetWindowTextA(item->hwndItem, label, 80); // at most 79 bytes
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    if (layout.framed)
      DrawFrame(dc, rc, selected, item->CtlID == static_cast<UINT>(DefaultButtonId));
    const int FrameInset = 4; // the frame's two rings, the default button's black line, and one pixel of air
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HFONT narrowed = layout.framed ? NarrowedToFit(dc, label, rc.right - rc.left - 2 * FrameInset) : nullptr;
    SIZE size = MeasureMixedText(dc, label);
    int x = layout.centred ? rc.left + (rc.right - rc.left - size.cx) / 2 : rc.left;
    int y = rc.top + (rc.bottom - rc.top - size.cy) / 2;
    if (selected) {
      x += 2;
      y += 1;
    }
    DrawMixedText(dc, x, y, label);
    if (narrowed) {
      SelectObject(dc, font);
      DeleteObject(narrowed);
    }
  }
  if (item->itemState & ODS_FOCUS) {
    int dx = (rc.right - rc.left) / 10, dy = (rc.bottom - rc.top) / 8;
    RECT focus = {rc.left + dx, rc.top + dy, rc.right - dx, rc.bottom - dy};
    DrawFocusRect(dc, &focus);
  }
}
