#include "wizard/install_command.h"

#include <direct.h>
#include <time.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/in_the_way.h"
#include "install/install_sequence.h"
#include "install/kernel_function.h"
#include "resources/resource_ids.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"
#include "wizard/wizard_dialog.h"

int InstallRunning, AgreeWorking;

namespace {

// Makes sure the install folder exists; *made says whether this install made it. A folder that exists becomes the
// process's current folder and stays so: the process then holds it open on the stick, as the wizard always has.
int EnsureInstallFolder(int *made) {
  *made = 0;
  if (_chdir(InstallDir) == 0)
    return 1;
  return *made = CreateDirectoryA(InstallDir, nullptr) != 0;
}

// A message that names a file: the Chinese and English formats, with the path for %s.
void ShowNaming(HWND window, const char *chineseFormat, const char *englishFormat, const char *path) {
  char chinese[MAX_PATH + 128], english[MAX_PATH + 128];
  BoundedFormat(chinese, sizeof chinese, chineseFormat, path);
  BoundedFormat(english, sizeof english, englishFormat, path);
  ShowMessageDialog(chinese, english, MessageOk, window);
}

// What stands in the way, named: the user closes the program, or moves the folder, and tries again.
void ShowInTheWay(HWND window, int folder, const char *path) {
  ShowNaming(window, folder ? FolderInTheWayChineseFormat : InUseChineseFormat,
             folder ? FolderInTheWayEnglishFormat : InUseEnglishFormat, path);
}

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

// The window answers the system: what other threads and processes send (the install's progress, a logoff's
// question) and its repaints; each look at the queue also tells the system that the window is alive. Nothing
// posted is acted on: commands, keys and clicks stay queued. Waits at most wait milliseconds for something to do,
// or for worker, if given, to end; returns nonzero once it has.
int Answer(HANDLE worker, DWORD wait) {
  int ended =
      MsgWaitForMultipleObjects(worker ? 1 : 0, &worker, FALSE, wait, QS_SENDMESSAGE | QS_PAINT) == WAIT_OBJECT_0 &&
      worker;
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  // A window that never validates itself would hand out WM_PAINT for ever: a bounded number of repaints.
  for (int i = 0; i < 32 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    DispatchMessageA(&message);
  return ended;
}

void WaitForWorker(void *worker) {
  while (!Answer(static_cast<HANDLE>(worker), 100)) {
  }
}

// Waits until the whole-second clock has moved on MinimumBusySeconds from start, answering the system meanwhile.
void WaitFromStart(time_t start) {
  while (difftime(time(nullptr), start) < MinimumBusySeconds)
    Answer(nullptr, 100);
}

// Windows gives a key to whatever has the focus when the key is read, not when it was pressed: Return or Escape
// pressed during the install would close the result before anyone saw it. So the keys and clicks that waited
// (client and non-client) are dropped; WM_QUIT and everything else stays.
void DropWaitingInput() {
  MSG message;
  const UINT Ranges[][2] = {
      {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
  for (const UINT *range : Ranges)
    while (PeekMessageA(&message, nullptr, range[0], range[1], PM_REMOVE)) {
    }
}

// Logoff and restart wait while the files are written; Windows since Vista shows the user why.
void BlockShutdown(HWND window, int block) {
  typedef BOOL(WINAPI * CreateFn)(HWND, LPCWSTR);
  typedef BOOL(WINAPI * DestroyFn)(HWND);
  InstallRunning = block;
  if (block) {
    if (CreateFn create = KernelFunction<CreateFn>("ShutdownBlockReasonCreate", "user32.dll"))
      create(window, InstallingReason);
  } else if (DestroyFn destroy = KernelFunction<DestroyFn>("ShutdownBlockReasonDestroy", "user32.dll")) {
    destroy(window);
  }
}

} // namespace

void AgreeAndInstall(HWND window) {
  ShowWizardPage(window, 2);
  // What stands in the way is named before anything is written, the folder included; no command is acted on
  // meanwhile, a second Agree/Install sent from outside among them.
  AgreeWorking = 1;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  char named[MAX_PATH];
  InTheWay found = FindWhatIsInTheWay(named, WaitForWorker);
  int made = 0;
  if (found || !EnsureInstallFolder(&made)) {
    DropWaitingInput();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (found) {
      ShowInTheWay(window, found == FolderInTheWay, named);
    } else {
      char english[128];
      BoundedFormat(english, sizeof english, FolderEnglishFormat, FolderEnglishReason);
      ShowMessageDialog(FolderChinese, english, MessageOk, window);
    }
    AgreeWorking = 0;
    return;
  }
  WizardPage = PageInstalling;
  LRESULT selected = SendDlgItemMessageA(window, IDC_LANGUAGE_COMBO, CB_GETCURSEL, 0, 0);
  UiLanguage = static_cast<int>(SendDlgItemMessageA(window, IDC_LANGUAGE_COMBO, CB_GETITEMDATA, selected, 0));
  static const int Buttons[] = {IDC_NEXT, IDC_BACK, IDCANCEL, IDC_WAIT_BUTTON};
  for (int id : Buttons)
    HideNow(window, id);
  time_t start = time(nullptr);
  PointerToWizard();
  BlockShutdown(window, 1);
  int installed = RunInstall(WaitForWorker, made, named);
  BlockShutdown(window, 0);
  WaitFromStart(start);
  DropWaitingInput();
  AgreeWorking = 0;
  if (installed == InstallHeld || installed == InstallInTheWay) {
    // A program began to use a file after the look above, or a folder appeared, and the drive is as it was: back
    // to the licence page.
    ShowInTheWay(window, installed == InstallInTheWay, named);
    ShowWindow(GetDlgItem(window, IDC_PROGRESS), SW_HIDE);
    for (int id : Buttons)
      if (id != IDC_WAIT_BUTTON)
        ShowWindow(GetDlgItem(window, id), SW_SHOW);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    WizardPage = 2;
    ShowWizardPage(window, 2);
    return;
  }
  if (installed == InstallSucceeded)
    ShowMessageDialog(SuccessChinese, SuccessEnglish, MessageOk, window);
  else if (installed == InstallUnverified)
    ShowMessageDialog(VerifyChinese, VerifyEnglish, MessageOk, window);
  else if (installed == InstallLeftOver)
    ShowNaming(window, LeftOverChineseFormat, LeftOverEnglishFormat, named);
  else
    ShowMessageDialog(FailureChinese, FailureEnglish, MessageOk, window);
  WizardPage = PageQuit;
}
