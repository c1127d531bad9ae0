// The Chinese licence list's items: their height, and each line painted from the glyph font.
#include "ui/licence_item.h"

#include "app/globals.h"
#include "base/dpi_scale.h"
#include "glyph/mixed_text.h"
#include "glyph/mixed_walk.h"
#include "resources/resource_ids.h"
#include "ui/gbk_text.h"

void DrawLicenceItem(const DRAWITEMSTRUCT *item, HWND dialog) {
  HDC dc = item->hDC;
  int saved = SaveDC(dc);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  RECT rc = item->rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
  LRESULT count = SendDlgItemMessageA(dialog, IDC_LICENCE_LIST, LB_GETCOUNT, 0, 0);
  // The line's GBK bytes as they were added, never read back through the system's code page.
  const char *text = reinterpret_cast<const char *>(item->itemData);
  if (count > 0 && item->itemID < static_cast<UINT>(count) && text) {
    int margin = ScaledToDpi(2, ScreenDpi);
    InflateRect(&rc, -margin, -margin);
    DrawMixedText(dc, rc.left, rc.top, text);
  }
  RestoreDC(dc, saved);
}

BOOL MeasureLicenceItem(MEASUREITEMSTRUCT *item) {
  if (item->CtlID != IDC_LICENCE_LIST)
    return FALSE;
  item->itemWidth = LicenceItemWidth;
  item->itemHeight = static_cast<UINT>(ScaledToDpi(LicenceItemHeight, ScreenDpi));
  return TRUE;
}

namespace {

char LicenceLines[LicenceListLines][LicenceLineMax + 1]; // the lines of the one licence list, as added

} // namespace

void AddLicenceLine(HWND list, const char *line) {
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (count < 0 || count >= LicenceListLines)
    return;
  char *cut = LicenceLines[count];
  int length = lstrlenA(line);
  int keep = MixedTextPrefix(line, length, LicenceLineMax);
  lstrcpynA(cut, line, keep + 1);
  AddGbkListItem(list, cut);
}
