#include "install/install_sequence.h"

#include <commctrl.h>
#include <stdlib.h>

#include "app/globals.h"
#include "install/install_rows.h"
#include "install/preflight.h"
#include "install/removal.h"
#include "resources/resource_ids.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"

FlushWay InstallFlushWay = FlushWayByFileSystem;

namespace {

void MoveBar(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar);
}

// Whether the files are written all before any is flushed: where the drive is FAT or FAT32, whose root flush writes
// the whole volume, unless a test or the bench chose.
int Batched(const char *root) {
  if (InstallFlushWay != FlushWayByFileSystem)
    return InstallFlushWay == FlushWayBatched;
  char system[16];
  return GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system, sizeof system) &&
         (!lstrcmpiA(system, "FAT") || !lstrcmpiA(system, "FAT32"));
}

// The install proper, on the worker thread: nothing is written from a damaged installer, nor onto a drive without
// room for the whole install.
DWORD WINAPI InstallWork(LPVOID parameter) {
  InstallRun *run = static_cast<InstallRun *>(parameter);
  Room room = CheckBeforeInstall(run);
  if (!room)
    return run->named[0] ? InstallHeld : InstallFailed;
  char root[DriveRootSize];
  DriveRoot(InstallDir, root);
  // The root folder, opened for flushing: on FAT its flush writes the whole volume.
  run->root = CreateFileA(root, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  run->way = room == RoomPerFile                                  ? ReplaceEach
             : run->root != INVALID_HANDLE_VALUE && Batched(root) ? KeepBatched
                                                                  : KeepEach;
  int result = InstallRows(run);
  if (run->root != INVALID_HANDLE_VALUE)
    CloseHandle(run->root);
  return static_cast<DWORD>(result);
}

} // namespace

int RunInstall(InstallWait wait, int madeFolder, char *named) {
  InstallRun run = {};
  run.root = INVALID_HANDLE_VALUE;
  run.madeFolder = madeFolder;
  run.failedRow = NoFailedRow;
  run.failure = InstallFailed;
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize + SettingsCopySize));
  DWORD installed = InstallFailed;
  if (!buffer) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
    if (madeFolder) // nothing was written in it
      RemoveFolder(InstallDir);
  } else {
    run.payload = buffer;
    run.settings = buffer + PayloadBufferSize;
    run.bar = GetDlgItem(WizardWindow, IDC_PROGRESS);
    run.moveBar = MoveBar;
    ShowWindow(run.bar, SW_SHOW);
    MoveBar(run.bar, 10);
    installed = RunBeside(InstallWork, &run, wait);
    free(buffer);
  }
  if (named)
    lstrcpynA(named, run.named, MAX_PATH);
  return static_cast<int>(installed);
}
