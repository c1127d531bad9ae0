// GBK texts kept beside their controls, so that no code page converts them on the way in or out.
#include "ui/gbk_text.h"

#include <wchar.h>

#include "glyph/mixed_walk.h"
#include "ui/button_layout.h"

namespace {

const UINT GbkCodePage = 936;
const char KeptLabelProperty[] = "Vellumine.Label";

unsigned AsciiUpper(unsigned c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// Sends message with the characters that gbk stands for as its text (lParam): wide, converted from code page 936,
// or the ANSI bytes where that code page is missing.
LRESULT SendGbk(HWND window, UINT message, const char *gbk) {
  wchar_t wide[512];
  if (MultiByteToWideChar(GbkCodePage, 0, gbk, -1, wide, sizeof wide / sizeof wide[0]) > 0)
    return SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(wide));
  return SendMessageA(window, message, 0, reinterpret_cast<LPARAM>(gbk));
}

} // namespace

void SetGbkText(HWND window, const char *gbk) { SendGbk(window, WM_SETTEXT, gbk); }

void NameOwnerDrawnButtons(HWND dialog, int wizardPage) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[16];
    ButtonLabelKind kind;
    if (!GetClassNameA(child, className, sizeof className) || lstrcmpiA(className, "Button") != 0 ||
        (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW)
      continue;
    const char *label = ButtonLabel(GetDlgCtrlID(child), wizardPage, &kind);
    if (kind == LabelNone) // painted blank, so nameless: its template text has passed through the ANSI code page
      SetWindowTextW(child, L"");
    if (kind != LabelFixed || !*label)
      continue;
    // The template's keyboard mnemonic ("&Back": Alt+B) stays, on the same letter of the label.
    wchar_t old[128] = L"";
    GetWindowTextW(child, old, 128);
    const wchar_t *amp = wcschr(old, L'&');
    int length = lstrlenA(label), index = 0, at = -1;
    MixedChar ch;
    while (amp && amp[1] > L' ' && amp[1] < 0x7F && at < 0 && NextMixedChar(label, length, &index, &ch))
      if (!ch.wide && AsciiUpper(ch.code) == AsciiUpper(amp[1]))
        at = index - 1;
    char named[160];
    if (at >= 0 && length + 2 <= static_cast<int>(sizeof named)) {
      lstrcpynA(named, label, at + 1);
      lstrcatA(named, "&");
      lstrcatA(named, label + at);
      label = named;
    }
    SetGbkText(child, label);
  }
}

void KeepLabel(HWND window, const char *gbk) {
  SetPropA(window, KeptLabelProperty, const_cast<char *>(gbk));
  SetGbkText(window, gbk);
}

const char *KeptLabel(HWND window) { return static_cast<const char *>(GetPropA(window, KeptLabelProperty)); }

LRESULT AddGbkListItem(HWND list, const char *gbk) {
  LRESULT index = SendGbk(list, LB_ADDSTRING, gbk);
  if (index >= 0)
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(gbk));
  return index;
}
