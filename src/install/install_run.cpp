// The run's outcome: the first failure that counts, and what putting back makes of it. Runs on the worker thread.
#include "install/install_run.h"

#include "app/globals.h"
#include "install/removal.h"

volatile LONG InstallStopAsked;

int Failing(const InstallRun *run) { return run->outcome.result != InstallSucceeded; }

InstallResult Fail(InstallRun *run, InstallResult result, const char *named) {
  if (!Failing(run)) {
    run->outcome.result = result;
    lstrcpynA(run->outcome.named, named ? named : "", MAX_PATH);
  }
  return result;
}

InstallResult FailStep(InstallRun *run, FileStep step) {
  switch (step.error) {
  case ERROR_SHARING_VIOLATION: return Fail(run, InstallHeld, step.path);
  case ERROR_DIRECTORY: return Fail(run, InstallInTheWay, step.path);
  case ERROR_WRITE_PROTECT: return Fail(run, InstallWriteProtected);
  case ERROR_NOT_READY: // as Wine reports a stick's one-time read or write error, too: gone only where it is
  case ERROR_DEVICE_NOT_CONNECTED: return Fail(run, DriveAnswers(InstallDir) ? InstallFailed : InstallDriveGone);
  default: return Fail(run, InstallFailed);
  }
}

void SettleResult(InstallRun *run, int unchanged, const char *left) {
  InstallOutcome &outcome = run->outcome;
  InstallResult result = outcome.result;
  if (!DriveAnswers(InstallDir)) {
    result = InstallDriveGone;
  } else if (left) {
    result = InstallLeftOver;
  } else if (!unchanged && result != InstallUnverified && result != InstallDamaged) {
    result = InstallFailed; // the drive is not as it was: neither a hold nor the room is the whole story
  }
  if (result != outcome.result || result == InstallDriveGone)
    lstrcpynA(outcome.named, result == InstallLeftOver ? left : "", MAX_PATH);
  outcome.result = result;
}
