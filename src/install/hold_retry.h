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

// After an attempt on name that began at started (GetTickCount) has just failed: whether to try again, after a
// pause, because the failure is a hold (a sharing violation, and with deniedToo a denied access: renames and
// removals) that has lasted less than HoldMilliseconds. Where the hold outlasted them, names name in HeldFile. The
// attempt's error stays in GetLastError. As in: for (DWORD t = GetTickCount(); !DeleteFileA(p);) if (!TryAgain(p, t))
int TryAgain(const char *name, DWORD started, int deniedToo = 1);

#endif
