// How a run ends: a success confirmed and its earlier files removed, or a failure put back and its leftovers named.
// Runs on the install's worker thread.
#include "install/settle_outcome.h"

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/folder_names.h"
#include "install/read_back.h"
#include "install/removal.h"
#include "store/payload_store.h"

namespace {

// Gives every row back what it held before the install, in reverse order. 1 when each name holds what it held
// before.
int PutAllBack(InstallRun *run) {
  int back = 1;
  for (int row = ManifestRowCount - 1; row >= 0; --row) {
    RowHolds holds = run->holds[row];
    if (holds == HoldsNew || holds == HoldsNewOverEarlier)
      back = !PutBack(run->names[row], holds == HoldsNew ? INVALID_FILE_ATTRIBUTES : run->earlier[row]).error && back;
    back = back && holds != HoldsNewForGood;
  }
  return back;
}

// Removes the temporary files of the rows begun; the first that stays is named in left (MAX_PATH bytes).
void RemoveTemporaries(const InstallRun *run, char *left) {
  for (int row = 0; row < run->rowsBegun; ++row)
    if (StoreCarries(Manifest[row].id) && RemoveTemporary(run->names[row]) && !left[0])
      lstrcpynA(left, run->names[row].temporary, MAX_PATH);
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

// The folder this install made goes with a failed install, and with it everything left in it; where a name in it
// outlived its removal, the folder stays and left names what is in it, unless it names a leftover already.
void RemoveMadeFolder(const InstallRun *run, char *left) {
  if (!run->madeFolder)
    return;
  if (!RemoveFolder(InstallDir)) {
    left[0] = 0;
    return;
  }
  if (left[0])
    return;
  WIN32_FIND_DATAA first;
  first.cFileName[0] = 0;
  EachName(
      InstallDir,
      [](const WIN32_FIND_DATAA &found, void *context) {
        *static_cast<WIN32_FIND_DATAA *>(context) = found;
        return 0;
      },
      &first);
  BoundedFormat(left, MAX_PATH, first.cFileName[0] ? "%s\\%s" : "%s", InstallDir, first.cFileName);
}

} // namespace

InstallResult SettleOutcome(InstallRun *run) {
  InstallResult readBack = Failing(run) ? InstallFailed : ReadBackInstall(run);
  if (readBack != InstallSucceeded)
    Fail(run, readBack);
  int rooted = run->root != INVALID_HANDLE_VALUE, flushed = 0;
  if (!Failing(run) && rooted && !(flushed = FlushFileBuffers(run->root)))
    FailStep(run, {GetLastError(), InstallDir});
  if (!Failing(run)) {
    // Where the last flush fails, the install is on the medium already, and a later install removes what is left.
    if (RemoveEarlierFiles(run) || !flushed)
      if (rooted)
        FlushFileBuffers(run->root);
    run->moveBar(run->bar, 100);
    return InstallSucceeded;
  }
  char left[MAX_PATH] = "";
  int unchanged = PutAllBack(run);
  RemoveTemporaries(run, left);
  RemoveMadeFolder(run, left);
  if (left[0] && Absent(left)) // a name whose deletion was pending has gone meanwhile
    left[0] = 0;
  if (rooted)
    FlushFileBuffers(run->root);
  SettleResult(run, unchanged, left[0] ? left : nullptr);
  return run->outcome.result;
}
