// Painting the owner-drawn buttons and labels: the bilingual label, the 3D frame, the pressed look, the focus.
#include "ui/button_painter.h"

#include "app/globals.h"
#include "base/dpi_scale.h"
#include "glyph/mixed_text.h"
#include "ui/button_layout.h"
#include "ui/gbk_text.h"

namespace {

void DrawFrame(HDC dc, const RECT &rc, int selected, int isDefault) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  HPEN penA = CreatePen(PS_SOLID, 1, selected ? dark : light);
  HPEN penB = CreatePen(PS_SOLID, 1, selected ? light : dark);
  HPEN penText = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ previous = SelectObject(dc, penA);
  FrameSegment segments[MaxFrameSegments];
  int count = ButtonFrameSegments(rc.left, rc.top, rc.right, rc.bottom, isDefault, segments);
  for (int i = 0; i < count; ++i) {
    const FrameSegment &s = segments[i];
    SelectObject(dc, s.pen == FramePenA ? penA : s.pen == FramePenB ? penB : penText);
    MoveToEx(dc, s.x0, s.y0, nullptr);
    LineTo(dc, s.x1, s.y1);
  }
  SelectObject(dc, previous);
  DeleteObject(penA);
  DeleteObject(penB);
  DeleteObject(penText);
}

// Narrowed copies of the dialogs' fonts, made as labels need them and kept until ReleaseNarrowedFonts.
struct KeptFont {
  LOGFONTA shape;
  HFONT font;
};
KeptFont Kept[8];

HFONT FontOfShape(const LOGFONTA &shape) {
  for (KeptFont &k : Kept) {
    if (!k.font) {
      k.shape = shape;
      k.font = CreateFontIndirectA(&shape);
    }
    if (k.shape.lfHeight == shape.lfHeight && k.shape.lfWidth == shape.lfWidth && k.shape.lfWeight == shape.lfWeight &&
        k.shape.lfCharSet == shape.lfCharSet && k.shape.lfItalic == shape.lfItalic &&
        !lstrcmpA(k.shape.lfFaceName, shape.lfFaceName))
      return k.font;
  }
  return nullptr; // more shapes than the wizard's dialogs have: not narrowed
}

// Where a framed label is wider than the inside of its frame (CJK Windows, and Wine under a CJK locale, give the
// dialog a wider font), selects the context's font narrowed until the label fits, but no narrower than 60 % of its
// width (rounded up): a label that still does not fit is clipped. Returns whether the label fits; nothing is
// selected where it fits as it is, so that it looks the same there. The caller restores the context's font.
int NarrowToFit(HDC dc, const char *label, int room) {
  TEXTMETRICA metrics;
  LOGFONTA font = {};
  if (MeasureMixedText(dc, label).cx <= room)
    return 1;
  if (!GetTextMetricsA(dc, &metrics) || !GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font))
    return 0;
  font.lfHeight = metrics.tmHeight;
  for (font.lfWidth = metrics.tmAveCharWidth - 1; font.lfWidth >= (3 * metrics.tmAveCharWidth + 4) / 5;
       --font.lfWidth) {
    HFONT narrowed = FontOfShape(font);
    if (!narrowed)
      return 0;
    SelectObject(dc, narrowed);
    if (MeasureMixedText(dc, label).cx <= room)
      return 1;
  }
  return 0;
}

} // namespace

void ReleaseNarrowedFonts() {
  for (KeptFont &k : Kept) {
    if (k.font)
      DeleteObject(k.font);
    k = KeptFont{};
  }
}

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
    // The frame's two rings, the default button's line and one pixel of air; the pressed label's shift: at 100 %.
    const int inset = ScaledToDpi(4, ScreenDpi), ring = ScaledToDpi(3, ScreenDpi);
    int saved = SaveDC(dc);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (layout.framed && !NarrowToFit(dc, label, rc.right - rc.left - 2 * inset))
      IntersectClipRect(dc, rc.left + inset, rc.top + ring, rc.right - inset, rc.bottom - ring);
    SIZE size = MeasureMixedText(dc, label);
    int x = layout.centred ? rc.left + (rc.right - rc.left - size.cx) / 2 : rc.left;
    int y = rc.top + (rc.bottom - rc.top - size.cy) / 2;
    if (selected) {
      x += ScaledToDpi(2, ScreenDpi);
      y += ScaledToDpi(1, ScreenDpi);
    }
    DrawMixedText(dc, x, y, label);
    RestoreDC(dc, saved);
  }
  if (item->itemState & ODS_FOCUS) {
    int dx = (rc.right - rc.left) / 10, dy = (rc.bottom - rc.top) / 8;
    RECT focus = {rc.left + dx, rc.top + dy, rc.right - dx, rc.bottom - dy};
    DrawFocusRect(dc, &focus);
  }
}
