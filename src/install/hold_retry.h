#ifndef VELLUMINE_INSTALL_HOLD_RETRY_H
#define VELLUMINE_INSTALL_HOLD_RETRY_H

// Another program's brief hold on a file: antivirus software and indexers open each fresh file for a moment, without
// sharing its deletion, and a rename or removal meets a sharing violation (or, for the file of a running program, a
// denied access) meanwhile. Such an operation is tried again for up to HoldMilliseconds for that file; every other
// error fails at once.
#include <windows.h>

enum { HoldMilliseconds = 3000, HoldPauseMilliseconds = 50 };

// The file whose hold outlasted the retries, for the user to be told; empty when none did since it was last emptied.
extern char HeldFile[MAX_PATH];

// Calls attempt (a BOOL() callable that leaves its error in GetLastError) until it succeeds, fails otherwise than
// by a hold, or the hold has lasted HoldMilliseconds; then names name in HeldFile. deniedToo: a denied access counts
// as a hold (renames and removals); without it only a sharing violation does.
template <typename Attempt> BOOL WhileHeld(const char *name, Attempt attempt, int deniedToo = 1) {
  DWORD started = GetTickCount();
  for (;;) {
    if (attempt())
      return TRUE;
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && !(deniedToo && error == ERROR_ACCESS_DENIED))
      return FALSE;
    if (GetTickCount() - started >= HoldMilliseconds) {
      lstrcpynA(HeldFile, name, MAX_PATH);
      SetLastError(error);
      return FALSE;
    }
    Sleep(HoldPauseMilliseconds);
  }
}

#endif
