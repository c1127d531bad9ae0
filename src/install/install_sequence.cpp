#include "install/install_sequence.h"

#include <windows.h>

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "app/globals.h"
#include "install/file_writer.h"
#include "install/manifest.h"
#include "install/preflight.h"
#include "install/read_back.h"
#include "install/settings_edit.h"
#include "resources/resource_ids.h"
#include "store/payload_store.h"
#include "store/store_index.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"

namespace {

// Where the bar stands once a row has been written: after row 16 it shows 20, and so on.
struct Stage {
  int lastRow; // 1-based
  int position;
};
const Stage Stages[] = {{16, 20}, {18, 25}, {19, 45}, {31, 75}, {34, 90}};

static_assert(EditedSettingsCapacity(SettingsFileLimit) == SettingsCopySize, "the settings copy fits");

void SetProgress(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar);
}

// Writes one row; a row whose entry the store does not carry is skipped. The settings file is written with the
// language already recorded, so that no moment of the install leaves it without one; what was written of it is
// kept at settings (SettingsCopySize bytes), its length at *settingsLength, for reading it back.
int InstallRow(const ManifestRow &row, unsigned char *buffer, unsigned char *settings, unsigned long *settingsLength) {
  unsigned long stored = 0, length = 0;
  if (!PayloadEntry(row.id, &stored))
    return 1;
  char path[InstallDirSize];
  ManifestRowPath(row, path, sizeof path);
  if (row.where != InFolder || strcmp(row.destination, SettingsFileName) != 0)
    return ExtractPayload(row.id, nullptr, buffer, PayloadBufferSize, row.readOnly, row.hidden, path);
  if (!InflatePayload(row.id, buffer, PayloadBufferSize, &length))
    return 0;
  *settingsLength =
      static_cast<unsigned long>(EditUiLanguage(reinterpret_cast<const char *>(buffer), length, UiLanguage,
                                                reinterpret_cast<char *>(settings), SettingsCopySize));
  return *settingsLength && WritePayloadFile(nullptr, settings, *settingsLength, row.readOnly, row.hidden, path);
}

// The Adler-32 that ends a zlib stream: the checksum of the data it inflates to.
unsigned long StreamAdler(const unsigned char *stream, unsigned long size) {
  const unsigned char *t = stream + size - 4;
  return static_cast<unsigned long>(t[0]) << 24 | static_cast<unsigned long>(t[1]) << 16 |
         static_cast<unsigned long>(t[2]) << 8 | t[3];
}

// Takes everything to the medium: the renames and whatever else is left in the system's cache. On FAT a flush of
// the root folder writes the whole volume; a flush of any other folder writes nothing. Where the root cannot be
// opened so, every file's own flush has already taken its data and entry there, and its rename was written through.
void FlushDrive() {
  char root[4] = {InstallDir[0], ':', '\\', 0};
  HANDLE folder = CreateFileA(root, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE)
    return;
  FlushFileBuffers(folder);
  CloseHandle(folder);
}

// Reads every file the install wrote back from the medium and compares it with what was written: a payload
// row's length with the store's index and its Adler-32 with its stream's; the settings file byte for byte with
// the copy at settings. The payload buffer is the reading space. A file that cannot be read back (refused, gone, a
// read error) is a failed install, not a lying drive.
int ReadBackInstall(unsigned char *buffer, const unsigned char *settings, unsigned long settingsLength) {
  StoreIndexEntry index[ManifestRowCount];
  int count = LoadStoreIndex(index, ManifestRowCount);
  if (count < 0)
    return InstallFailed;
  for (const ManifestRow &row : Manifest) {
    unsigned long stored = 0, length = 0, adler = 0;
    const unsigned char *stream = PayloadEntry(row.id, &stored);
    const StoreIndexEntry *entry = FindIndexEntry(index, count, row.id);
    if (!stream || !entry)
      continue; // not carried, not written
    char path[InstallDirSize];
    ManifestRowPath(row, path, sizeof path);
    if (row.where == InFolder && strcmp(row.destination, SettingsFileName) == 0) {
      ReadBackOutcome outcome = ReadBackEquals(path, settings, settingsLength, buffer, PayloadBufferSize);
      if (outcome != ReadBackSame)
        return outcome == ReadBackDiffers ? InstallUnverified : InstallFailed;
    } else if (stored < 6 || !ReadBackDigest(path, buffer, PayloadBufferSize, &length, &adler)) {
      return InstallFailed;
    } else if (length != entry->inflatedSize || adler != StreamAdler(stream, stored)) {
      return InstallUnverified;
    }
  }
  return InstallSucceeded;
}

int InstallRows(HWND bar, unsigned char *buffer) {
  unsigned char *settings = buffer + PayloadBufferSize;
  unsigned long settingsLength = 0;
  int row = 0;
  for (const Stage &stage : Stages) {
    for (; row < stage.lastRow; ++row) {
      if (!InstallRow(Manifest[row], buffer, settings, &settingsLength))
        return InstallFailed;
    }
    SetProgress(bar, stage.position);
  }
  FlushDrive();
  // Nothing is called a success until the drive has given every file back.
  int readBack = ReadBackInstall(buffer, settings, settingsLength);
  if (readBack == InstallSucceeded)
    SetProgress(bar, 100);
  return readBack;
}

struct Work {
  HWND bar;
  unsigned char *buffer;
};

DWORD WINAPI InstallWork(LPVOID parameter) {
  const Work *work = static_cast<const Work *>(parameter);
  // Nothing is written from a damaged installer, nor onto a drive without room for the whole install.
  return static_cast<DWORD>(CheckBeforeInstall() ? InstallRows(work->bar, work->buffer) : InstallFailed);
}

} // namespace

int RunInstall(InstallWait wait) {
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize + SettingsCopySize));
  if (!buffer) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
    return InstallFailed;
  }
  Work work = {GetDlgItem(WizardWindow, IDC_PROGRESS), buffer};
  ShowWindow(work.bar, SW_SHOW);
  SetProgress(work.bar, 10);
  HANDLE worker = wait ? CreateThread(nullptr, 0, InstallWork, &work, 0, nullptr) : nullptr;
  DWORD installed = InstallFailed;
  if (worker) {
    wait(worker);
    GetExitCodeThread(worker, &installed);
    CloseHandle(worker);
  } else {
    installed = InstallWork(&work);
  }
  free(buffer);
  return static_cast<int>(installed);
}
