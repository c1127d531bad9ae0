#include "wizard/install_command.h"

#include <direct.h>
#include <time.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/install_sequence.h"
#include "resources/resource_ids.h"
#include "ui/keep_answering.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"
#include "wizard/wizard_dialog.h"

namespace {

int EnsureInstallFolder() { return _chdir(InstallDir) == 0 || CreateDirectoryA(InstallDir, nullptr); }

void HideNow(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  ShowWindow(control, SW_HIDE);
  UpdateWindow(control);
}

// Brings the pointer onto the wizard when it lies outside, so that the busy cursor is seen.
void PointerToWizard() {
  POINT pointer;
  RECT rect;
  GetCursorPos(&pointer);
  GetWindowRect(WizardWindow, &rect);
  if (!PtInRect(&rect, pointer))
    SetCursorPos(rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2);
}

// Waits until the whole-second clock has moved on MinimumBusySeconds from start, answering the system meanwhile
// and acting on nothing that was posted.
void WaitFromStart(time_t start) {
  while (difftime(time(nullptr), start) < MinimumBusySeconds) {
    Sleep(50);
    KeepAnswering();
  }
}

} // namespace

void AgreeAndInstall(HWND window) {
  ShowWizardPage(window, 2);
  if (!EnsureInstallFolder()) {
    char english[128];
    BoundedFormat(english, sizeof english, FolderEnglishFormat, FolderEnglishReason);
    ShowMessageDialog(FolderChinese, english, MessageOk, window);
    return;
  }
  WizardPage = 99;
  LRESULT selected = SendDlgItemMessageA(window, IDC_LANGUAGE_COMBO, CB_GETCURSEL, 0, 0);
  UiLanguage = static_cast<int>(SendDlgItemMessageA(window, IDC_LANGUAGE_COMBO, CB_GETITEMDATA, selected, 0));
  static const int Buttons[] = {IDC_NEXT, IDC_BACK, IDCANCEL, IDC_WAIT_BUTTON};
  for (int id : Buttons)
    HideNow(window, id);
  time_t start = time(nullptr);
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
  PointerToWizard();
  int installed = RunInstall();
  WaitFromStart(start);
  if (installed == InstallSucceeded)
    ShowMessageDialog(SuccessChinese, SuccessEnglish, MessageOk, window);
  else if (installed == InstallUnverified)
    ShowMessageDialog(VerifyChinese, VerifyEnglish, MessageOk, window);
  else
    ShowMessageDialog(FailureChinese, FailureEnglish, MessageOk, window);
  WizardPage = -1;
}
