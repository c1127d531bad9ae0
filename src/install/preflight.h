#ifndef VELLUMINE_INSTALL_PREFLIGHT_H
#define VELLUMINE_INSTALL_PREFLIGHT_H

// Checks made before the first file is written: every entry that the manifest names is intact (its CRC-32 and
// size match the store's index), and the destination drive has room for the install, counting the files it will
// replace as free but keeping room for each temporary file while it replaces its old copy. Returns 1 when the
// install may go ahead, 0 when the index is missing or damaged, an entry is damaged, or the room is too little.
int CheckBeforeInstall();

// The peak of extra disk space an install takes, written row by row through temporary files: before row i the
// rows before it have replaced their old copies, and row i's temporary file sits beside its old copy. Sizes in
// bytes, each rounded up to whole clusters. Portable.
unsigned long long PeakInstallSpace(const unsigned long long *newSizes, const unsigned long long *oldSizes, int count,
                                    unsigned long long cluster);

#endif
