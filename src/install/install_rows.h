#ifndef VELLUMINE_INSTALL_INSTALL_ROWS_H
#define VELLUMINE_INSTALL_INSTALL_ROWS_H

// Writes every row the store carries, in manifest order, as run says (per file or batched), moving the bar after
// each stage: what an interrupted install left aside settled first, then each row written under its temporary name
// and, per file, put in place; batched, the root flushed once all are written, then all put in place. Stops at the
// first failure, and before the next row where the session is ending (InstallStopAsked). Returns the run's result
// so far; settling it comes after (settle_outcome.h).
#include "install/install_run.h"

InstallResult InstallRows(InstallRun *run);

#endif
