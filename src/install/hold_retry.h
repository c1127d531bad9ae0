#ifndef VELLUMINE_INSTALL_HOLD_RETRY_H
#define VELLUMINE_INSTALL_HOLD_RETRY_H

// Another program's brief hold on a file: antivirus software and indexers open each fresh file for a moment, and a
// rename or removal meets a sharing violation (they did not share its deletion) or a denied access (on FAT, a
// replacing rename onto a file open at all, or a name whose deletion is pending) meanwhile. Such an operation is
// tried again for up to HoldMilliseconds for that file; every other error fails at once. Only a sharing violation
// says that a program holds the file: a denied access that outlasts the retries is often for good (a running
// program's image, permissions from another PC, security software refusing an unknown program).
#include <windows.h>

enum { HoldMilliseconds = 3000, HoldPauseMilliseconds = 50 };

// After an attempt that began at started (GetTickCount) has just failed with error: whether to try again, after a
// pause, because the failure is a sharing violation, or with deniedToo a denied access, that has lasted less than
// HoldMilliseconds.
// As in: for (DWORD t = GetTickCount(); !DeleteFileA(p);) if (!TryAgain(t, GetLastError())) return GetLastError();
int TryAgain(DWORD started, DWORD error, int deniedToo = 1);

#endif
