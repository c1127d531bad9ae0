// Agree/Install: the look, the install on its worker thread while the window answers the system, and the result
// told by one table. Runs on the window's thread.
#include "wizard/install_command.h"

#include <direct.h>
#include <time.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "base/kernel_function.h"
#include "install/in_the_way.h"
#include "install/install_sequence.h"
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

// The worker thread that the wizard waits for, while it runs: a session that ends waits for it too.
HANDLE Worker;

void WaitForWorker(void *worker) {
  Worker = static_cast<HANDLE>(worker);
  while (!Answer(Worker, 100)) {
  }
  Worker = nullptr;
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

// What each result tells the user, and where the wizard goes after it: back to the licence page where the drive is
// as it was and the user can mend what stood in the way, else to its end.
enum MessageNames { NamesNothing, NamesPath, NamesDrive, NamesRoom };
struct ResultMessage {
  InstallResult result;
  const char *const *chinese, *const *english; // formats, with what names says (addresses: a table of constants)
  MessageNames names;
  int backToLicence;
};
const ResultMessage ResultMessages[] = {
    {InstallSucceeded, &SuccessChinese, &SuccessEnglish, NamesNothing, 0},
    {InstallUnverified, &VerifyChinese, &VerifyEnglish, NamesNothing, 0},
    {InstallHeld, &InUseChineseFormat, &InUseEnglishFormat, NamesPath, 1},
    {InstallInTheWay, &FolderInTheWayChineseFormat, &FolderInTheWayEnglishFormat, NamesPath, 1},
    {InstallLeftOver, &LeftOverChineseFormat, &LeftOverEnglishFormat, NamesPath, 0},
    {InstallNoRoom, &NoRoomChineseFormat, &NoRoomEnglishFormat, NamesRoom, 1},
    {InstallDamaged, &DamagedChinese, &DamagedEnglish, NamesNothing, 0},
    {InstallWriteProtected, &WriteProtectedChineseFormat, &WriteProtectedEnglishFormat, NamesDrive, 1},
    {InstallDriveGone, &DriveGoneChineseFormat, &DriveGoneEnglishFormat, NamesDrive, 0},
    {InstallFailed, &FailureChinese, &FailureEnglish, NamesNothing, 0}, // and every result without a row of its own
};

// Bytes as MB (of 1,048,576 bytes) in tenths: the room needed rounded up, the room free rounded down, so that the
// figures never look equal.
int Tenths(unsigned long long bytes, int up) { return static_cast<int>((bytes * 10 + (up ? 1048575 : 0)) >> 20); }

// One line of a result's message, its format filled in.
void FillLine(char *line, int size, const char *format, const ResultMessage &message, const InstallOutcome &outcome) {
  int needed = Tenths(outcome.needed, 1), available = Tenths(outcome.available, 0);
  switch (message.names) {
  case NamesPath: BoundedFormat(line, size, format, outcome.named); break;
  case NamesDrive: BoundedFormat(line, size, format, InstallDir[0]); break;
  case NamesRoom:
    BoundedFormat(line, size, format, InstallDir[0], needed / 10, needed % 10, available / 10, available % 10);
    break;
  default: BoundedFormat(line, size, "%s", format); break;
  }
}

// Shows what the outcome tells the user; whether the wizard goes back to the licence page.
int ShowOutcome(HWND window, const InstallOutcome &outcome) {
  const ResultMessage *message = ResultMessages;
  while (message->result != outcome.result && message->result != InstallFailed)
    ++message;
  char chinese[MAX_PATH + 128], english[MAX_PATH + 128];
  FillLine(chinese, sizeof chinese, *message->chinese, *message, outcome);
  FillLine(english, sizeof english, *message->english, *message, outcome);
  ShowMessageDialog(chinese, english, MessageOk, window);
  return message->backToLicence;
}

const int InstallButtons[] = {IDC_NEXT, IDC_BACK, IDCANCEL, IDC_WAIT_BUTTON};

// Before the install: what stands in the way is named, the folder is made sure of, the language taken, the buttons
// hidden and logoff asked to wait. Whether the install goes on; *made says whether it made the folder.
int BeginInstall(HWND window, int *made) {
  ShowWizardPage(window, PageLicence);
  // What stands in the way is named before anything is written, the folder included; no command is acted on
  // meanwhile, a second Agree/Install sent from outside among them.
  AgreeWorking = 1;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  InstallOutcome look = {};
  InTheWay found = FindWhatIsInTheWay(look.named, WaitForWorker);
  *made = 0;
  if (found || !EnsureInstallFolder(made)) {
    DropWaitingInput();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (found) {
      look.result = found == FolderInTheWay ? InstallInTheWay : InstallHeld;
      ShowOutcome(window, look);
    } else {
      char english[128];
      BoundedFormat(english, sizeof english, FolderEnglishFormat, FolderEnglishReason);
      ShowMessageDialog(FolderChinese, english, MessageOk, window);
    }
    AgreeWorking = 0;
    return 0;
  }
  WizardPage = PageInstalling;
  LRESULT selected = SendDlgItemMessageA(window, IDC_LANGUAGE_COMBO, CB_GETCURSEL, 0, 0);
  UiLanguage = static_cast<int>(SendDlgItemMessageA(window, IDC_LANGUAGE_COMBO, CB_GETITEMDATA, selected, 0));
  for (int id : InstallButtons)
    HideNow(window, id);
  PointerToWizard();
  BlockShutdown(window, 1);
  return 1;
}

// The install with the busy cursor, for at least five whole seconds of the clock, the window answering the system
// meanwhile; the input that waited is dropped before the result appears.
void WaitForInstall(HWND window, int made, InstallOutcome *outcome) {
  time_t start = time(nullptr);
  RunInstall(outcome, WaitForWorker, made);
  BlockShutdown(window, 0);
  WaitFromStart(start);
  DropWaitingInput();
  AgreeWorking = 0;
}

// The result, told; then back to the licence page (the drive as it was: the user can mend what stood in the way and
// try again), or the end of the wizard.
void EndInstall(HWND window, const InstallOutcome &outcome) {
  if (!ShowOutcome(window, outcome)) {
    WizardPage = PageQuit;
    return;
  }
  ShowWindow(GetDlgItem(window, IDC_PROGRESS), SW_HIDE);
  for (int id : InstallButtons)
    if (id != IDC_WAIT_BUTTON)
      ShowWindow(GetDlgItem(window, id), SW_SHOW);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  WizardPage = PageLicence;
  ShowWizardPage(window, PageLicence);
}

} // namespace

void AgreeAndInstall(HWND window) {
  int made = 0;
  if (!BeginInstall(window, &made))
    return;
  InstallOutcome outcome;
  WaitForInstall(window, made, &outcome);
  EndInstall(window, outcome);
}

void FinishBeforeSessionEnds() {
  if (!InstallRunning || !Worker)
    return;
  InstallStopAsked = 1;
  while (!Answer(Worker, 100)) {
  }
}
