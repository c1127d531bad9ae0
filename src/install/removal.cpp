// Removing a file or an empty folder until its name has gone, waiting out a program's hold on it.
#include "install/removal.h"

#include "install/hold_retry.h"
#include "install/manifest.h"

namespace {

// The bits that keep a file from being removed, or that Wine keeps only while a writer may change them.
const DWORD RemovalBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The error of a removal's try (removed says whether the system said yes, with error as its error otherwise) while
// the name is still there. A name that stays after a yes has its deletion pending: the error is then a denied
// access, as Windows gives for such a name; so is a folder not empty because of one.
DWORD StayedBecause(BOOL removed, DWORD error) {
  return removed || error == ERROR_DIR_NOT_EMPTY ? ERROR_ACCESS_DENIED : error;
}

// Whether to try a removal again after its tries-th try failed with error: a denial or a sharing violation within
// the hold budget; any other error once, after a pause (a stick's one-time error), so that a pulled stick's
// removals end at once.
int Again(DWORD error, DWORD started, int tries) {
  if (TryAgain(started, error))
    return 1;
  if (tries > 1 || error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED)
    return 0;
  Sleep(HoldPauseMilliseconds);
  return 1;
}

// Removes path with remove (DeleteFileA or RemoveDirectoryA) until the name has gone, or the retries run out: 0, or
// the last try's error. Before each try a file's read-only, hidden and system bits are cleared, where a failed try
// or another program left them.
DWORD UntilGone(const char *path, BOOL(WINAPI *remove)(LPCSTR)) {
  DWORD started = GetTickCount();
  for (int tries = 1;; ++tries) {
    DWORD now = GetFileAttributesA(path);
    if (now != INVALID_FILE_ATTRIBUTES && (now & RemovalBits) && !(now & FILE_ATTRIBUTE_DIRECTORY))
      SetFileAttributesA(path, now & ~RemovalBits ? now & ~RemovalBits : FILE_ATTRIBUTE_NORMAL);
    BOOL removed = remove(path);
    DWORD error = removed ? ERROR_SUCCESS : GetLastError();
    if (Absent(path))
      return ERROR_SUCCESS;
    error = StayedBecause(removed, error);
    if (!Again(error, started, tries))
      return error;
  }
}

} // namespace

int Absent(const char *path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
    return 0;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int DriveAnswers(const char *path) {
  char root[DriveRootSize];
  DriveRoot(path, root);
  ULARGE_INTEGER available;
  return GetDiskFreeSpaceExA(root, &available, nullptr, nullptr) != 0;
}

DWORD RemoveFile(const char *path) {
  DWORD old = GetFileAttributesA(path);
  if (old == INVALID_FILE_ATTRIBUTES && Absent(path))
    return ERROR_SUCCESS;
  if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY))
    return ERROR_DIRECTORY;
  DWORD error = UntilGone(path, DeleteFileA);
  // Read-only last: Wine keeps the other bits where only a writer may change them.
  if (error && old != INVALID_FILE_ATTRIBUTES && (old & RemovalBits)) {
    SetFileAttributesA(path, old & ~FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path, old);
  }
  return error;
}

DWORD RemoveFolder(const char *path) { return UntilGone(path, RemoveDirectoryA); }
