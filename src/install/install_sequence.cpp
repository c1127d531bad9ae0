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
#include "install/settings_entry.h"
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

// The payload buffer, once the rows are written: its first 3 MiB serve for reading files back from the medium;
// the last MiB holds a copy of the settings file as written (ours, about 6 KB).
const unsigned long ReadBackWindow = 3UL * 1024 * 1024;

void SetProgress(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar);
}

// Writes one row; a row whose entry the store does not carry is skipped.
int InstallRow(const ManifestRow &row, unsigned char *buffer) {
  unsigned long stored = 0;
  if (!PayloadEntry(row.id, &stored))
    return 1;
  if (row.where == InFolder)
    return ExtractPayload(row.id, row.destination, buffer, PayloadBufferSize, row.readOnly, row.hidden, nullptr);
  char path[InstallDirSize];
  ManifestRowPath(row, path, sizeof path);
  return ExtractPayload(row.id, nullptr, buffer, PayloadBufferSize, row.readOnly, row.hidden, path);
}

// The Adler-32 that ends a zlib stream: the checksum of the data it inflates to.
unsigned long StreamAdler(const unsigned char *stream, unsigned long size) {
  const unsigned char *t = stream + size - 4;
  return static_cast<unsigned long>(t[0]) << 24 | static_cast<unsigned long>(t[1]) << 16 |
         static_cast<unsigned long>(t[2]) << 8 | t[3];
}

// Reads every file the install wrote back from the medium and compares it with what was written: a payload
// row's length with the store's index and its Adler-32 with its stream's; the settings file byte for byte with
// the copy at buffer + ReadBackWindow. The first ReadBackWindow bytes of buffer are the reading space.
int ReadBackInstall(unsigned char *buffer, unsigned long settingsLength) {
  StoreIndexEntry index[ManifestRowCount];
  int count = LoadStoreIndex(index, ManifestRowCount);
  if (count < 0)
    return 0;
  for (const ManifestRow &row : Manifest) {
    unsigned long stored = 0, length = 0, adler = 0;
    const unsigned char *stream = PayloadEntry(row.id, &stored);
    const StoreIndexEntry *entry = FindIndexEntry(index, count, row.id);
    if (!stream || !entry)
      continue; // not carried, not written
    char path[InstallDirSize];
    ManifestRowPath(row, path, sizeof path);
    if (row.where == InFolder && strcmp(row.destination, SettingsFileName) == 0) {
      if (!ReadBackEquals(path, buffer + ReadBackWindow, settingsLength, buffer, ReadBackWindow))
        return 0;
    } else if (stored < 6 || !ReadBackDigest(path, buffer, ReadBackWindow, &length, &adler) ||
               length != entry->inflatedSize || adler != StreamAdler(stream, stored)) {
      return 0;
    }
  }
  return 1;
}

int InstallRows(HWND bar, unsigned char *buffer) {
  int row = 0;
  for (const Stage &stage : Stages) {
    for (; row < stage.lastRow; ++row)
      if (!InstallRow(Manifest[row], buffer))
        return InstallFailed;
    SetProgress(bar, stage.position);
  }
  unsigned long settingsLength = 0;
  if (!WriteUiLanguage(buffer + ReadBackWindow, PayloadBufferSize - ReadBackWindow, &settingsLength))
    return InstallFailed;
  // Nothing is called a success until the drive has given every file back.
  if (!ReadBackInstall(buffer, settingsLength))
    return InstallUnverified;
  SetProgress(bar, 100);
  return InstallSucceeded;
}

} // namespace

int RunInstall() {
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize));
  if (!buffer) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
    return InstallFailed;
  }
  HWND bar = GetDlgItem(WizardWindow, IDC_PROGRESS);
  ShowWindow(bar, SW_SHOW);
  SetProgress(bar, 10);
  // Nothing is written from a damaged installer, nor onto a drive without room for the whole install.
  int installed = CheckBeforeInstall() ? InstallRows(bar, buffer) : InstallFailed;
  free(buffer);
  return installed;
}
