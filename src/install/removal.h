#ifndef VELLUMINE_INSTALL_REMOVAL_H
#define VELLUMINE_INSTALL_REMOVAL_H

// Removals that end with the name gone. On Windows a deletion succeeds on a file that another program has open with
// delete sharing (antivirus software, the indexer), but the name stays until that program closes it, and a folder
// holding such a name cannot be removed; Wine, where the medium refuses the unlink, says yes and keeps the name. So
// after each removal the name is looked at, and while it is still there the removal is tried again within the hold
// budget (hold_retry.h), or once more where the error was another (a stick's one-time error).
#include <windows.h>

// Whether nothing has the name path: the system says the file, or the folder it would be in, is not found. A stick
// that has been pulled out says the same of every name, so an absence means something only while DriveAnswers.
int Absent(const char *path);

// Whether the drive that path lies on still answers: its free room can be read. Windows says "not found" of every
// name on a stick pulled out, then "path not found" once its letter has gone.
int DriveAnswers(const char *path);

// Removes the file at path whatever its read-only, hidden and system bits; nothing where there is none, and never a
// folder. 0 when the name is gone; else the error that kept it (ERROR_SHARING_VIOLATION where another program held
// it without sharing deletion), with the file's attributes given back.
DWORD RemoveFile(const char *path);

// Removes the empty folder at path: 0 when the name is gone, else the error that kept it.
DWORD RemoveFolder(const char *path);

#endif
