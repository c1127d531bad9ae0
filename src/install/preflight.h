#ifndef VELLUMINE_INSTALL_PREFLIGHT_H
#define VELLUMINE_INSTALL_PREFLIGHT_H

// Checks made before the first file is written: every entry that the manifest names is intact (its CRC-32 and
// size match the store's index), and the destination drive has room for the install, counting the files it will
// replace as free but keeping room for each temporary file while it replaces its old copy. Returns 1 when the
// install may go ahead, 0 when the index is missing or damaged, an entry is damaged, or the room is too little.
int CheckBeforeInstall();

#include <stddef.h>

struct ManifestRow;
struct StoreIndexEntry;

// Where a row is installed: InstallDir\name, or the drive-root pattern with InstallDir's drive letter.
void ManifestRowPath(const ManifestRow &row, char *path, size_t size);

// Reads the store's index (the build's record of every entry it carries) into index. Returns the entry count, or
// -1 when the index is missing, damaged or holds more than capacity entries.
int LoadStoreIndex(StoreIndexEntry *index, int capacity);

// The peak of extra disk space an install takes, written row by row through temporary files: before row i the
// rows before it have replaced their old copies, and row i's temporary file sits beside its old copy. Sizes in
// bytes, each rounded up to whole clusters. Portable.
unsigned long long PeakInstallSpace(const unsigned long long *newSizes, const unsigned long long *oldSizes, int count,
                                    unsigned long long cluster);

#endif
