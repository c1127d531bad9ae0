#include "install/removal.h"

#include "install/hold_retry.h"

namespace {

const DWORD Marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// After a removal's try (removed says whether the system said yes, with error as its error otherwise): whether to try
// again, the name still being there. A name that stays after a yes has its deletion pending: the error is then a
// denied access, as Windows gives for such a name; so is a folder not empty because of one. Such a denial or a
// sharing violation is tried again within the hold budget; any other error once, after a pause (a stick's one-time
// error), so that a pulled stick's removals end at once.
int Again(BOOL removed, DWORD error, DWORD started, int tries) {
  SetLastError(removed || error == ERROR_DIR_NOT_EMPTY ? ERROR_ACCESS_DENIED : error);
  if (TryAgain(started))
    return 1;
  error = GetLastError();
  if (tries > 1 || error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED)
    return 0;
  Sleep(HoldPauseMilliseconds);
  SetLastError(error);
  return 1;
}

// Removes path with remove (DeleteFileA or RemoveDirectoryA) until the name has gone, or the retries run out. Before
// each try a file's read-only, hidden and system bits are cleared, where a failed try or another program left them.
int UntilGone(const char *path, BOOL(WINAPI *remove)(LPCSTR)) {
  DWORD started = GetTickCount();
  for (int tries = 1;; ++tries) {
    DWORD now = GetFileAttributesA(path);
    if (now != INVALID_FILE_ATTRIBUTES && (now & Marks) && !(now & FILE_ATTRIBUTE_DIRECTORY))
      SetFileAttributesA(path, now & ~Marks ? now & ~Marks : FILE_ATTRIBUTE_NORMAL);
    BOOL removed = remove(path);
    DWORD error = GetLastError();
    if (Absent(path))
      return 1;
    if (!Again(removed, error, started, tries))
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
  if (UntilGone(path, DeleteFileA))
    return 1;
  DWORD error = GetLastError();
  // Read-only last: Wine keeps the other bits where only a writer may change them.
  if (old != INVALID_FILE_ATTRIBUTES && (old & Marks)) {
    SetFileAttributesA(path, old & ~FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path, old);
  }
  SetLastError(error);
  return 0;
}

int RemoveFolder(const char *path) { return UntilGone(path, RemoveDirectoryA); }
