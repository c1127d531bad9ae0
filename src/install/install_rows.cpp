#include "install/install_rows.h"

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/install_run.h"
#include "install/read_back.h"
#include "install/removal.h"
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

// Whether a step of the row ended well; where another program's hold failed it, the row's file is named.
int Done(InstallRun *run, int row, StepOutcome outcome) {
  if (outcome == StepHeld) {
    run->failure = InstallHeld;
    lstrcpynA(run->named, run->names[row].path, MAX_PATH);
  }
  return outcome == StepDone;
}

// Puts a row's temporary file in place, written through where each file is flushed on its own. Its earlier file is
// set aside, and kept until the end but where the drive has room for one file at a time only.
int PlaceRow(InstallRun *run, int row) {
  StepOutcome outcome = PutInPlace(run->names[row], run->way != KeepBatched, &run->earlier[row]);
  int earlier = run->earlier[row] != INVALID_FILE_ATTRIBUTES;
  run->holds[row] = earlier ? HoldsNewOverEarlier : outcome == StepDone ? HoldsNew : HoldsWhatItHeld;
  if (outcome == StepDone && earlier && run->way == ReplaceEach && RemoveSetAside(run->names[row]))
    run->holds[row] = HoldsNewForGood;
  return Done(run, row, outcome);
}

// Writes one row under its temporary name, and where each file is flushed on its own, flushes it and puts it in
// place. The settings file is written with the language already recorded, so that no moment of the install leaves
// it without one; what was written of it is kept in run->settings for reading it back.
int WriteRow(InstallRun *run, int row) {
  const ManifestRow &entry = Manifest[row];
  unsigned long length = 0;
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
  return WriteBeside(run->names[row], data, length, attributes, run->way != KeepBatched) &&
         (run->way == KeepBatched || PlaceRow(run, row));
}

// Removes the temporary files of the carried rows from..to (exclusive).
void RemoveTemporaries(const InstallRun *run, int from, int to) {
  for (int row = from; row < to; ++row)
    if (Carried(row))
      RemoveTemporary(run->names[row]);
}

// Batched: puts every carried row's temporary file in place, not written through (on Windows a written-through
// rename is a flush of its own). At the first failure the other temporary files are removed.
void PlaceAll(InstallRun *run) {
  for (int row = 0; row < ManifestRowCount; ++row)
    if (Carried(row) && !PlaceRow(run, row)) {
      run->failedRow = row;
      RemoveTemporaries(run, row + 1, ManifestRowCount);
      return;
    }
}

// What an interrupted install left aside beside each row goes back or goes; only an earlier file that is the only
// copy and cannot take its name back fails the install.
void SettleLeftovers(InstallRun *run) {
  char root[DriveRootSize];
  DriveRoot(InstallDir, root);
  if (!SetAsideNamesIn(InstallDir) && !SetAsideNamesIn(root))
    return;
  for (int row = 0; row < ManifestRowCount; ++row)
    if (Carried(row) && !Done(run, row, SettleEarlier(run->names[row]))) {
      run->failedRow = FailedBeforeRows;
      return;
    }
}

// Gives every row back what it held before the install, in reverse order. 1 when each name holds what it held
// before.
int PutAllBack(InstallRun *run) {
  int back = 1;
  for (int row = ManifestRowCount - 1; row >= 0; --row) {
    RowHolds holds = run->holds[row];
    if (holds == HoldsNew || holds == HoldsNewOverEarlier)
      back =
          PutBack(run->names[row], holds == HoldsNew ? INVALID_FILE_ATTRIBUTES : run->earlier[row]) == StepDone && back;
    back = back && holds != HoldsNewForGood;
  }
  return back;
}

// Removes every earlier file set aside, once the new ones are in place for good; one that stays is left for a
// later install. Whether there was any.
int RemoveEarlierFiles(const InstallRun *run) {
  int any = 0;
  for (int row = 0; row < ManifestRowCount; ++row)
    if (run->holds[row] == HoldsNewOverEarlier) {
      RemoveSetAside(run->names[row]);
      any = 1;
    }
  return any;
}

// The folder this install made goes with a failed install; where a name in it outlived its removal, the folder
// stays and run->named names what was left.
int RemoveMadeFolder(InstallRun *run) {
  if (!run->madeFolder || RemoveFolder(InstallDir))
    return 1;
  char pattern[MAX_PATH];
  BoundedFormat(pattern, sizeof pattern, "%s\\*", InstallDir);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  int more = search != INVALID_HANDLE_VALUE;
  while (more && found.cFileName[0] == '.')
    more = FindNextFileA(search, &found);
  if (search != INVALID_HANDLE_VALUE)
    FindClose(search);
  BoundedFormat(run->named, MAX_PATH, more ? "%s\\%s" : "%s", InstallDir, found.cFileName);
  return 0;
}

// Nothing is called a success until the drive has given every file back and the root has been flushed (on FAT
// what takes the renames to the medium); a failure there puts every earlier file back, with the folder this install
// made. A drive that gives back other bytes is not trusted with putting the earlier files back: its files stay.
// The earlier files of a success go before the root's last flush, so that nothing changes on the medium after it;
// where that flush fails, the install is on the medium already, and a later install removes what is left.
int SettleOutcome(InstallRun *run) {
  int result = run->failedRow == NoFailedRow ? ReadBackInstall(run) : InstallFailed;
  int rooted = run->root != INVALID_HANDLE_VALUE, flushed = 0;
  if (result == InstallSucceeded && rooted && !(flushed = FlushFileBuffers(run->root)))
    result = InstallFailed;
  if (result == InstallFailed && run->failedRow == NoFailedRow)
    run->failedRow = FailedAfterRows;
  int unchanged = 0;
  if (result != InstallFailed) {
    int removed = RemoveEarlierFiles(run);
    flushed = flushed && !removed;
  } else {
    unchanged = PutAllBack(run);
    if (!RemoveMadeFolder(run)) {
      unchanged = 0;
      result = InstallLeftOver;
    }
  }
  if (rooted && !flushed)
    FlushFileBuffers(run->root);
  if (result == InstallSucceeded)
    run->moveBar(run->bar, 100);
  // A program that held a file, or a folder in the way, with the drive as the install found it: the user can
  // close the program or move the folder, and try again.
  return result == InstallFailed && unchanged && run->named[0] ? run->failure : result;
}

} // namespace

int InstallRows(InstallRun *run) {
  if (run->failedRow == NoFailedRow)
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
      RemoveTemporaries(run, 0, run->failedRow);
    else if (FlushFileBuffers(run->root))
      PlaceAll(run);
    else {
      run->failedRow = FailedAfterRows;
      RemoveTemporaries(run, 0, ManifestRowCount);
    }
  }
  return SettleOutcome(run);
}
