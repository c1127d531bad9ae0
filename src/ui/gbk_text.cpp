#include "ui/gbk_text.h"

namespace {

const UINT GbkCodePage = 936;
const char KeptLabelProperty[] = "Vellumine.Label";

} // namespace

int GbkToWide(const char *gbk, wchar_t *wide, int capacity) {
  int length = MultiByteToWideChar(GbkCodePage, 0, gbk, -1, wide, capacity);
  return length > 0 ? length - 1 : 0;
}

void KeepLabel(HWND window, const char *gbk) {
  SetPropA(window, KeptLabelProperty, const_cast<char *>(gbk));
  wchar_t wide[512];
  if (GbkToWide(gbk, wide, sizeof wide / sizeof wide[0]) || !*gbk)
    SetWindowTextW(window, wide);
  else
    SetWindowTextA(window, gbk);
}

const char *KeptLabel(HWND window) { return static_cast<const char *>(GetPropA(window, KeptLabelProperty)); }

LRESULT AddGbkListItem(HWND list, const char *gbk) {
  wchar_t wide[512];
  LRESULT index = GbkToWide(gbk, wide, sizeof wide / sizeof wide[0]) || !*gbk
                      ? SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide))
                      : SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gbk));
  if (index >= 0)
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(gbk));
  return index;
}
