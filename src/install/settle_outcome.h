#ifndef VELLUMINE_INSTALL_SETTLE_OUTCOME_H
#define VELLUMINE_INSTALL_SETTLE_OUTCOME_H

// How a run ends, after the rows (install_rows.h) or a failed pre-flight. Nothing is called a success until the
// drive has given every file back and the root has been flushed (on FAT what takes the renames to the medium); the
// earlier files of a success then go before the root's last flush, so that nothing changes on the medium after it.
// Any failure, a drive that gave back other bytes among them, puts every earlier file back (renames, which write no
// file data), removes every new and temporary file and the folder this install made, and flushes the root once;
// then the result is settled as SettleResult (install_run.h) says. Returns the run's result.
#include "install/install_run.h"

InstallResult SettleOutcome(InstallRun *run);

#endif
