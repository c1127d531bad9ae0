// Writing the rows: what an interrupted install left settled, each row written under its temporary name and put in
// place, per file or batched. Runs on the install's worker thread.
#include "install/install_rows.h"

#include "app/globals.h"
#include "install/install_run.h"
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

// Puts a row's temporary file in place, written through where each file is flushed on its own. Its earlier file is
// set aside, and kept until the end but where the drive has room for one file at a time only.
InstallResult PlaceRow(InstallRun *run, int row) {
  FileStep step = PutInPlace(&run->names[row], !run->batched, &run->earlier[row]);
  int earlier = run->earlier[row] != INVALID_FILE_ATTRIBUTES;
  run->holds[row] = earlier ? HoldsNewOverEarlier : !step.error ? HoldsNew : HoldsWhatItHeld;
  if (step.error)
    return FailStep(run, step);
  if (earlier && !run->keepEarlier && !RemoveSetAside(run->names[row]))
    run->holds[row] = HoldsNewForGood;
  return InstallSucceeded;
}

// Writes one row under its temporary name, and where each file is flushed on its own, flushes it and puts it in
// place. The settings file is written with the language already recorded, so that no moment of the install leaves
// it without one; what was written of it is kept in run->settings for reading it back.
InstallResult WriteRow(InstallRun *run, int row) {
  const ManifestRow &entry = Manifest[row];
  unsigned long length = 0;
  run->rowsBegun = row + 1;
  if (!InflatePayload(entry.id, run->payload, PayloadBufferSize, &length))
    return Fail(run, InstallFailed);
  const unsigned char *data = run->payload;
  if (IsSettingsRow(entry)) {
    length = static_cast<unsigned long>(EditUiLanguage(reinterpret_cast<const char *>(run->payload), length, UiLanguage,
                                                       reinterpret_cast<char *>(run->settings), SettingsCopySize));
    run->settingsLength = length;
    data = run->settings;
    if (!length)
      return Fail(run, InstallFailed);
  }
  unsigned long attributes =
      (entry.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (entry.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
  FileStep step = WriteBeside(&run->names[row], data, length, attributes, !run->batched);
  if (step.error)
    return FailStep(run, step);
  return run->batched ? InstallSucceeded : PlaceRow(run, row);
}

// Batched: puts every carried row's temporary file in place, not written through (on Windows a written-through
// rename is a flush of its own), up to the first failure. Then the other temporary files go at once, so that a look
// at one (a scanner's) has the whole putting back to end before the last look at what is left.
InstallResult PlaceAll(InstallRun *run) {
  int row = 0;
  while (row < ManifestRowCount && (!StoreCarries(Manifest[row].id) || PlaceRow(run, row) == InstallSucceeded))
    ++row;
  while (++row < ManifestRowCount)
    if (StoreCarries(Manifest[row].id))
      RemoveTemporary(run->names[row]);
  return run->outcome.result;
}

// What an interrupted install left aside beside each row goes back or goes; only an earlier file that is the only
// copy and cannot take its name back fails the install.
InstallResult SettleLeftovers(InstallRun *run) {
  if (!run->leftAside)
    return InstallSucceeded;
  for (int row = 0; row < ManifestRowCount; ++row)
    if (StoreCarries(Manifest[row].id)) {
      FileStep step = SettleEarlier(&run->names[row]);
      if (step.error)
        return FailStep(run, step);
    }
  return InstallSucceeded;
}

// Whether the session is ending: the rows stop at a point where everything can still be put back.
int StopAsked(InstallRun *run) {
  if (!InstallStopAsked)
    return 0;
  Fail(run, InstallFailed);
  return 1;
}

} // namespace

InstallResult InstallRows(InstallRun *run) {
  if (SettleLeftovers(run) != InstallSucceeded)
    return run->outcome.result;
  int row = 0;
  for (const Stage &stage : Stages) {
    for (; row < stage.lastRow; ++row)
      if (StopAsked(run) || (StoreCarries(Manifest[row].id) && WriteRow(run, row) != InstallSucceeded))
        return run->outcome.result;
    run->moveBar(run->bar, stage.position);
  }
  // Batched, until the renames a failure leaves nothing but the temporary files, which go.
  if (!run->batched || StopAsked(run))
    return run->outcome.result;
  if (!FlushFileBuffers(run->root))
    return FailStep(run, {GetLastError(), InstallDir});
  return PlaceAll(run);
}
