#include "ui/licence_item.h"

#include "glyph/mixed_text.h"
#include "glyph/mixed_walk.h"
#include "resources/resource_ids.h"

void DrawLicenceItem(const DRAWITEMSTRUCT *item, HWND dialog) {
  HDC dc = item->hDC;
  int saved = SaveDC(dc);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  RECT rc = item->rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
  LRESULT count = SendDlgItemMessageA(dialog, IDC_LICENCE_LIST, LB_GETCOUNT, 0, 0);
  if (count > 0 && item->itemID < static_cast<UINT>(count)) {
    LRESULT length = SendDlgItemMessageA(dialog, IDC_LICENCE_LIST, LB_GETTEXTLEN, item->itemID, 0);
    char text[LicenceLineMax + 1];
    if (length >= 0 && length <= LicenceLineMax &&
        SendDlgItemMessageA(dialog, IDC_LICENCE_LIST, LB_GETTEXT, item->itemID, reinterpret_cast<LPARAM>(text)) >= 0) {
      InflateRect(&rc, -2, -2);
      DrawMixedText(dc, rc.left, rc.top, text);
    }
  }
  RestoreDC(dc, saved);
}

BOOL MeasureLicenceItem(MEASUREITEMSTRUCT *item) {
  if (item->CtlID != IDC_LICENCE_LIST)
    return FALSE;
  item->itemWidth = LicenceItemWidth;
  item->itemHeight = LicenceItemHeight;
  return TRUE;
}

void AddLicenceLine(HWND list, const char *line) {
  char cut[LicenceLineMax + 1];
  int length = lstrlenA(line);
  int keep = MixedTextPrefix(line, length, LicenceLineMax);
  lstrcpynA(cut, line, keep + 1);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cut));
}
