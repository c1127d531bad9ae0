#include "install/install_rows.h"

#include "app/globals.h"
#include "install/file_writer.h"
#include "install/install_run.h"
#include "install/read_back.h"
#include "install/settings_edit.h"
#include "store/payload_store.h"

namespace {

// Where the bar stands once a row has been written: after row 16 it shows 20, and so on.
struct Stage {
  int lastRow; // 1-based
  int position;
};
constexpr Stage Stages[] = {{16, 20}, {18, 25}, {19, 45}, {31, 75}, {34, 90}};
static_assert(Stages[sizeof Stages / sizeof Stages[0] - 1].lastRow == ManifestRowCount, "the last stage ends the rows");
static_assert(EditedSettingsCapacity(SettingsFileLimit) == SettingsCopySize, "the settings copy fits");

int Carried(int row) { return StoreCarries(Manifest[row].id); }

void RowPath(int row, char *path) { ManifestRowPath(Manifest[row], InstallDir, path, MAX_PATH); }

// Whether a step of the row ended well; where another program's hold failed it, the row's file is named.
int Done(InstallRun *run, int row, StepOutcome outcome) {
  if (outcome == StepHeld)
    RowPath(row, run->named);
  return outcome == StepDone;
}

// Puts a row's temporary file in place: written through where each file is flushed on its own, and, but where the
// drive has room for one file at a time only, with the earlier file set aside (noted in run->holds).
int PlaceRow(InstallRun *run, int row) {
  char path[MAX_PATH];
  RowPath(row, path);
  int earlier = 0;
  StepOutcome outcome = PutInPlace(path, run->way != KeepBatched, run->way != ReplaceEach, &earlier);
  if (run->way != ReplaceEach)
    run->holds[row] = earlier ? HoldsNewOverEarlier : outcome == StepDone ? HoldsNew : HoldsWhatItHeld;
  return Done(run, row, outcome);
}

// Writes one row under its temporary name, and where each file is flushed on its own, flushes it and puts it in
// place. The settings file is written with the language already recorded, so that no moment of the install leaves
// it without one; what was written of it is kept in run->settings for reading it back.
int WriteRow(InstallRun *run, int row) {
  const ManifestRow &entry = Manifest[row];
  char path[MAX_PATH];
  unsigned long length = 0;
  RowPath(row, path);
  if (!InflatePayload(entry.id, run->payload, PayloadBufferSize, &length))
    return 0;
  const unsigned char *data = run->payload;
  if (IsSettingsRow(entry)) {
    length = static_cast<unsigned long>(EditUiLanguage(reinterpret_cast<const char *>(run->payload), length, UiLanguage,
                                                       reinterpret_cast<char *>(run->settings), SettingsCopySize));
    run->settingsLength = length;
    data = run->settings;
    if (!length)
      return 0;
  }
  unsigned long attributes =
      (entry.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (entry.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
  return WriteBeside(path, data, length, attributes, run->way != KeepBatched) &&
         (run->way == KeepBatched || PlaceRow(run, row));
}

// Removes the temporary files of the carried rows from..to (exclusive).
void RemoveTemporaries(int from, int to) {
  for (int row = from; row < to; ++row) {
    char path[MAX_PATH];
    RowPath(row, path);
    if (Carried(row))
      RemoveTemporary(path);
  }
}

// Batched: puts every carried row's temporary file in place, not written through (on Windows a written-through
// rename is a flush of its own). At the first failure the other temporary files are removed.
void PlaceAll(InstallRun *run) {
  for (int row = 0; row < ManifestRowCount; ++row)
    if (Carried(row) && !PlaceRow(run, row)) {
      run->failedRow = row;
      RemoveTemporaries(row + 1, ManifestRowCount);
      return;
    }
}

// What an interrupted install left beside each row: earlier files set aside go back or go.
void SettleLeftovers(InstallRun *run) {
  char root[DriveRootSize];
  DriveRoot(InstallDir, root);
  if (!SetAsideFilesIn(InstallDir) && !SetAsideFilesIn(root))
    return;
  for (int row = 0; row < ManifestRowCount; ++row) {
    char path[MAX_PATH];
    RowPath(row, path);
    if (!Done(run, row, SettleEarlier(path))) {
      run->failedRow = 0; // before the first row
      return;
    }
  }
}

// Gives every placed row back what it held before the install, in reverse order. 1 when each name holds what it
// held before.
int PutAllBack(InstallRun *run) {
  int back = 1;
  for (int row = ManifestRowCount - 1; row >= 0; --row) {
    char path[MAX_PATH];
    RowPath(row, path);
    if (run->holds[row] != HoldsWhatItHeld)
      back = PutBack(path, run->holds[row] == HoldsNewOverEarlier) == StepDone && back;
  }
  return back;
}

// Removes every earlier file set aside, once the new ones are in place for good.
void RemoveEarlierFiles(const InstallRun *run) {
  for (int row = 0; row < ManifestRowCount; ++row) {
    char path[MAX_PATH];
    RowPath(row, path);
    if (run->holds[row] == HoldsNewOverEarlier)
      RemoveSetAside(path);
  }
}

// Nothing is called a success until the drive has given every file back; a drive that gives back other bytes is
// not trusted with putting the earlier files back. Then the earlier files go, or come back, and the root is
// flushed, so that nothing changes on the medium after the last flush.
int SettleOutcome(InstallRun *run) {
  int result = run->failedRow == NoFailedRow ? ReadBackInstall(run) : InstallFailed;
  if (result == InstallFailed && run->failedRow == NoFailedRow)
    run->failedRow = FailedAfterRows;
  int unchanged = 0;
  if (result != InstallFailed)
    RemoveEarlierFiles(run);
  else if (run->way != ReplaceEach)
    unchanged = PutAllBack(run);
  else
    unchanged = run->failedRow == 0; // replaced one by one: unchanged only where the first row failed
  if (run->root != INVALID_HANDLE_VALUE)
    FlushFileBuffers(run->root);
  if (result == InstallSucceeded)
    run->moveBar(run->bar, 100);
  // A program that held a file, with the drive as the install found it: the user can close it and try again.
  return result == InstallFailed && unchanged && run->named[0] ? InstallHeld : result;
}

} // namespace

int InstallRows(InstallRun *run) {
  SettleLeftovers(run);
  int row = 0;
  for (const Stage &stage : Stages) {
    for (; run->failedRow == NoFailedRow && row < stage.lastRow; ++row)
      if (Carried(row) && !WriteRow(run, row))
        run->failedRow = row;
    if (run->failedRow != NoFailedRow)
      break;
    run->moveBar(run->bar, stage.position);
  }
  if (run->way == KeepBatched) {
    // Until the renames a failure leaves nothing: the temporary files go (a failed row's has gone by itself).
    if (run->failedRow != NoFailedRow)
      RemoveTemporaries(0, run->failedRow);
    else if (FlushFileBuffers(run->root))
      PlaceAll(run);
    else {
      run->failedRow = FailedAfterRows;
      RemoveTemporaries(0, ManifestRowCount);
    }
  }
  return SettleOutcome(run);
}
