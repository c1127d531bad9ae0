// The bilingual message dialog: showing it, measuring its texts and laying out its controls.
#include "ui/message_dialog.h"

#include "app/globals.h"
#include "base/dpi_scale.h"
#include "glyph/mixed_text.h"
#include "resources/resource_ids.h"
#include "ui/button_painter.h"
#include "ui/gbk_text.h"

char MessageEnglishText[128];
int MessageButtons;

int ShowMessageDialog(const char *chineseText, const char *englishText, int buttons, HWND owner) {
  MessageButtons = buttons;
  if (englishText)
    lstrcpynA(MessageEnglishText, englishText, sizeof MessageEnglishText);
  else
    MessageEnglishText[0] = 0;
  return static_cast<int>(DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MESSAGE), owner, MessageDialogProc,
                                          reinterpret_cast<LPARAM>(chineseText)));
}

MessageLayoutInput MeasureMessageLayout(HWND dialog, const char *chinese, const char *english, int buttons) {
  MessageLayoutInput in = {};
  in.buttons = buttons;
  HDC dc = GetDC(dialog);
  SIZE c = MeasureMixedText(dc, chinese);
  SIZE e = {0, 0};
  int englishLength = lstrlenA(english);
  if (englishLength && !GetTextExtentPointA(dc, english, englishLength, &e))
    e = SIZE{0, 0};
  ReleaseDC(dialog, dc);
  in.chineseWidth = c.cx;
  in.chineseHeight = c.cy;
  in.chineseBytes = lstrlenA(chinese);
  in.englishWidth = e.cx;
  in.englishHeight = e.cy;
  HWND first = GetDlgItem(dialog, buttons == MessageYesNo ? IDYES : IDOK);
  RECT br;
  if (first && GetClientRect(first, &br)) {
    in.buttonWidth = br.right;
    in.buttonHeight = br.bottom;
  } else {
    in.buttonWidth = ScaledToDpi(82, ScreenDpi);
    in.buttonHeight = ScaledToDpi(12, ScreenDpi);
  }
  in.dpi = ScreenDpi;
  in.frameWidth = GetSystemMetrics(SM_CXDLGFRAME);
  in.captionHeight = GetSystemMetrics(SM_CYCAPTION);
  in.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  in.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  return in;
}

namespace {

void PlaceButton(HWND dialog, int id, int x, int y, int w, int h) {
  HWND button = GetDlgItem(dialog, id);
  ShowWindow(button, SW_SHOW);
  MoveWindow(button, x, y, w, h, TRUE);
}

void LayOut(HWND dialog, const char *chinese) {
  MessageLayoutInput in = MeasureMessageLayout(dialog, chinese, MessageEnglishText, MessageButtons);
  MessageLayout out = ComputeMessageLayout(in);
  int englishLength = lstrlenA(MessageEnglishText);

  SetWindowPos(dialog, nullptr, out.x, out.y, out.width, out.height, SWP_NOZORDER);
  RECT cl;
  GetClientRect(dialog, &cl);
  PlaceButton(dialog, out.firstId, out.firstX, out.firstY, in.buttonWidth, in.buttonHeight);
  if (out.secondId)
    PlaceButton(dialog, out.secondId, out.secondX, out.secondY, in.buttonWidth, in.buttonHeight);
  KeepLabel(GetDlgItem(dialog, IDC_MSG_TEXT), chinese); // the caller's text outlives this modal dialog
  MoveWindow(GetDlgItem(dialog, IDC_MSG_TEXT), cl.left, out.chineseTop, cl.right, out.chineseHeight, TRUE);
  HWND english = GetDlgItem(dialog, IDC_MSG_ENGLISH);
  if (englishLength) {
    SetWindowTextA(english, MessageEnglishText);
    MoveWindow(english, cl.left, out.englishTop, cl.right, out.englishHeight, TRUE);
  } else {
    ShowWindow(english, SW_HIDE);
  }
}

} // namespace

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: {
    const char *chinese = reinterpret_cast<const char *>(lParam);
    LayOut(dialog, chinese ? chinese : "");
    NameOwnerDrawnButtons(dialog, WizardPage);
    return TRUE;
  }
  case WM_DRAWITEM: DrawButtonItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam), dialog); return TRUE;
  case WM_COMMAND: {
    int id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO)
      EndDialog(dialog, id);
    return FALSE;
  }
  default: return FALSE;
  }
}
