#ifndef VELLUMINE_INSTALL_HOLD_RETRY_H
#define VELLUMINE_INSTALL_HOLD_RETRY_H

// Another program's brief hold on a file: antivirus software and indexers open each fresh file for a moment, without
// sharing its deletion, and a rename or removal meets a sharing violation (or, for the file of a running program, a
// denied access) meanwhile. Such an operation is tried again for up to HoldMilliseconds for that file; every other
// error fails at once.
#include <windows.h>

enum { HoldMilliseconds = 3000, HoldPauseMilliseconds = 50 };

// After an attempt that began at started (GetTickCount) has just failed: whether to try again, after a pause,
// because the failure is a hold (a sharing violation, and with deniedToo a denied access: renames and removals) that
// has lasted less than HoldMilliseconds. The attempt's error stays in GetLastError, also once the hold has outlasted
// the retries. As in: for (DWORD t = GetTickCount(); !DeleteFileA(p);) if (!TryAgain(t)) return 0;
int TryAgain(DWORD started, int deniedToo = 1);

// Whether the error of a failed attempt that TryAgain gave up on was a hold: a sharing violation, or with deniedToo
// a denied access.
int HeldBy(DWORD error, int deniedToo = 1);

#endif
