#ifndef VELLUMINE_INSTALL_PREFLIGHT_H
#define VELLUMINE_INSTALL_PREFLIGHT_H

// Checks made before the first file is written: every entry that the manifest names is intact (its CRC-32 and
// size match the store's index), and the destination drive has room for the install, counting the files it will
// replace as free but keeping room for each temporary file while it replaces its old copy. Returns RoomForBoth
// when there is also room for every temporary file beside every old copy at once (the batched way of writing),
// RoomPerFile when there is room only for one at a time, and RoomForNone (0) when the index is missing or damaged,
// an entry is damaged, or the room is too little.
enum Room { RoomForNone = 0, RoomPerFile = 1, RoomForBoth = 2 };
Room CheckBeforeInstall();

#include <stddef.h>

struct ManifestRow;
struct StoreIndexEntry;

// Where a row is installed: InstallDir\name, or the drive-root pattern with InstallDir's drive letter.
void ManifestRowPath(const ManifestRow &row, char *path, size_t size);

// Whether an interrupted install left an earlier file set aside (EarlierSuffix) in the install folder or the drive's
// root: one look at each folder, where a look at each row's name would cost a lookup a row.
int EarlierFilesLeft();

// Reads the store's index (the build's record of every entry it carries) into index. Returns the entry count, or
// -1 when the index is missing, damaged or holds more than capacity entries.
int LoadStoreIndex(StoreIndexEntry *index, int capacity);

// The peak of extra disk space an install takes, written row by row through temporary files: before row i the
// rows before it have replaced their old copies, and row i's temporary file sits beside its old copy. Batched,
// every temporary file is written before any replaces its old copy. Sizes in bytes, each rounded up to whole
// clusters. Portable.
unsigned long long PeakInstallSpace(const unsigned long long *newSizes, const unsigned long long *oldSizes, int count,
                                    unsigned long long cluster, int batched = 0);

#endif
