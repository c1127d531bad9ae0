#include "install/install_sequence.h"

#include <windows.h>

#include <commctrl.h>
#include <stdlib.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/file_writer.h"
#include "install/manifest.h"
#include "install/preflight.h"
#include "install/settings_entry.h"
#include "resources/resource_ids.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"

namespace {

// Where the bar stands once a row has been written: after row 16 it shows 20, and so on.
struct Stage {
  int lastRow; // 1-based
  int position;
};
const Stage Stages[] = {{16, 20}, {18, 25}, {19, 45}, {31, 75}, {34, 90}};

void SetProgress(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar);
}

// Writes one row; a row whose entry the store does not carry is skipped.
int InstallRow(const ManifestRow &row, unsigned char *buffer) {
  if (!FindResourceA(AppInstance, MAKEINTRESOURCEA(row.id), "TEXT"))
    return 1;
  if (row.where == InFolder)
    return ExtractPayload(row.id, row.destination, buffer, PayloadBufferSize, row.readOnly, row.hidden, nullptr);
  char path[InstallDirSize];
  BoundedFormat(path, sizeof path, row.destination, InstallDir[0]);
  return ExtractPayload(row.id, nullptr, buffer, PayloadBufferSize, row.readOnly, row.hidden, path);
}

int InstallRows(HWND bar, unsigned char *buffer) {
  int row = 0;
  for (const Stage &stage : Stages) {
    for (; row < stage.lastRow; ++row)
      if (!InstallRow(Manifest[row], buffer))
        return 0;
    SetProgress(bar, stage.position);
  }
  if (!WriteUiLanguage())
    return 0;
  SetProgress(bar, 100);
  return 1;
}

} // namespace

int RunInstall() {
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize));
  if (!buffer) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
    return 0;
  }
  HWND bar = GetDlgItem(WizardWindow, IDC_PROGRESS);
  ShowWindow(bar, SW_SHOW);
  SetProgress(bar, 10);
  // Nothing is written from a damaged installer, nor onto a drive without room for the whole install.
  int installed = CheckBeforeInstall() && InstallRows(bar, buffer);
  free(buffer);
  return installed;
}
