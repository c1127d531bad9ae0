// The install from the window's side: its memory, its worker thread and the way its files reach the medium.
// InstallWork runs on the worker thread; RunInstall on the window's.
#include "install/install_sequence.h"

#include <commctrl.h>
#include <stdlib.h>

#include "app/globals.h"
#include "install/install_rows.h"
#include "install/preflight.h"
#include "install/removal.h"
#include "install/settle_outcome.h"
#include "resources/resource_ids.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"

FlushWay InstallFlushWay = FlushByFileSystem;

namespace {

void MoveBar(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar);
}

// Whether the files are written all before any is flushed: where the drive is FAT or FAT32, whose root flush writes
// the whole volume, unless a test or the bench chose.
int FlushesBatched(const char *root) {
  if (InstallFlushWay != FlushByFileSystem)
    return InstallFlushWay == FlushBatched;
  char system[16];
  return GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system, sizeof system) &&
         (!lstrcmpiA(system, "FAT") || !lstrcmpiA(system, "FAT32"));
}

// The install proper, on the worker thread: nothing is written from a damaged installer, nor onto a drive without
// room for the whole install; however it ends, its outcome is settled.
DWORD WINAPI InstallWork(LPVOID parameter) {
  InstallRun *run = static_cast<InstallRun *>(parameter);
  if (CheckBeforeInstall(run) == InstallSucceeded) {
    char root[DriveRootSize];
    DriveRoot(InstallDir, root);
    // The root folder, opened for flushing: on FAT its flush writes the whole volume.
    run->root = CreateFileA(root, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    run->batched = run->keepEarlier && run->root != INVALID_HANDLE_VALUE && FlushesBatched(root);
    InstallRows(run);
  }
  SettleOutcome(run);
  if (run->root != INVALID_HANDLE_VALUE)
    CloseHandle(run->root);
  return 0;
}

} // namespace

InstallResult RunInstall(InstallOutcome *outcome, InstallWait wait, int madeFolder) {
  InstallRun run = {};
  run.root = INVALID_HANDLE_VALUE;
  run.madeFolder = madeFolder;
  run.outcome.result = InstallSucceeded;
  InstallStopAsked = 0;
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize + SettingsCopySize));
  if (!buffer) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
    if (madeFolder) // nothing was written in it
      RemoveFolder(InstallDir);
    run.outcome.result = InstallFailed;
  } else {
    run.payload = buffer;
    run.settings = buffer + PayloadBufferSize;
    run.bar = GetDlgItem(WizardWindow, IDC_PROGRESS);
    run.moveBar = MoveBar;
    ShowWindow(run.bar, SW_SHOW);
    MoveBar(run.bar, 10);
    RunBeside(InstallWork, &run, wait);
    free(buffer);
  }
  *outcome = run.outcome;
  return outcome->result;
}
