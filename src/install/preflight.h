#ifndef VELLUMINE_INSTALL_PREFLIGHT_H
#define VELLUMINE_INSTALL_PREFLIGHT_H

// Checks made before the first file is written: every entry that the manifest names is intact (its CRC-32 and
// size match the store's index), and the destination drive has room for the install, counting the files it will
// replace as free but keeping room for each temporary file while it replaces its old copy. Names each carried row's
// files in run->names, and sets run->keepEarlier where there is also room for every temporary file beside every old
// copy at once (the earlier files set aside until the end, and the batched way of writing). Returns
// InstallSucceeded, or fails the run: InstallDamaged (the index missing or damaged, an entry damaged),
// InstallInTheWay (a folder where a file goes, named), InstallNoRoom (with the room needed and free),
// InstallWriteProtected (the drive refuses the probe file as locked), or what reading the drive's room failed with.
#include "install/install_run.h"

InstallResult CheckBeforeInstall(InstallRun *run);

#endif
