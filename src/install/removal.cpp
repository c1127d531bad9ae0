#include "install/removal.h"

#include "install/hold_retry.h"

namespace {

const DWORD Marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// After a removal (removed says whether the system said yes, with error as its error otherwise): whether to try
// again, the name still being there. A name that stays after a yes has its deletion pending: the error is then a
// denied access, as Windows gives for such a name; so is a folder not empty because of one.
int Again(BOOL removed, DWORD error, DWORD started) {
  SetLastError(removed || error == ERROR_DIR_NOT_EMPTY ? ERROR_ACCESS_DENIED : error);
  return TryAgain(started);
}

// Removes path with remove (DeleteFileA or RemoveDirectoryA) until the name has gone, or the retries run out.
int UntilGone(const char *path, BOOL(WINAPI *remove)(LPCSTR)) {
  for (DWORD started = GetTickCount();;) {
    BOOL removed = remove(path);
    DWORD error = GetLastError();
    if (Absent(path))
      return 1;
    if (!Again(removed, error, started))
      return 0;
  }
}

} // namespace

int Absent(const char *path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
    return 0;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int RemoveFile(const char *path) {
  DWORD old = GetFileAttributesA(path);
  if (old == INVALID_FILE_ATTRIBUTES && Absent(path))
    return 1;
  if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  int cleared = old != INVALID_FILE_ATTRIBUTES && (old & Marks);
  if (cleared)
    SetFileAttributesA(path, old & ~Marks ? old & ~Marks : FILE_ATTRIBUTE_NORMAL);
  if (UntilGone(path, DeleteFileA))
    return 1;
  DWORD error = GetLastError();
  if (cleared) { // read-only last: Wine keeps the other bits where only a writer may change them
    SetFileAttributesA(path, old & ~FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path, old);
  }
  SetLastError(error);
  return 0;
}

int RemoveFolder(const char *path) { return UntilGone(path, RemoveDirectoryA); }
