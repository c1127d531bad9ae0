#ifndef VELLUMINE_INSTALL_INSTALL_ROWS_H
#define VELLUMINE_INSTALL_INSTALL_ROWS_H

// Writes every row the store carries, in manifest order, the way run->way says, moving the bar after each stage,
// and settles the outcome: the read-back, then the earlier files removed on success or put back on failure, then
// the last flush of the root. Returns an InstallResult (install_run.h).
struct InstallRun;
int InstallRows(InstallRun *run);

#endif
