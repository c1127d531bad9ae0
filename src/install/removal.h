#ifndef VELLUMINE_INSTALL_REMOVAL_H
#define VELLUMINE_INSTALL_REMOVAL_H

// Removals that end with the name gone. On Windows a deletion succeeds on a file that another program has open with
// delete sharing (antivirus software, the indexer), but the name stays until that program closes it, and a folder
// holding such a name cannot be removed; Wine, where the medium refuses the unlink, says yes and keeps the name. So
// after each removal the name is looked at, and while it is still there the removal is tried again within the hold
// budget (hold_retry.h), or once more where the error was another (a stick's one-time error).
#include <windows.h>

// Whether nothing has the name path: the system says the file, or the folder it would be in, is not found.
int Absent(const char *path);

// Removes the file at path whatever its read-only, hidden and system bits; nothing where there is none, and never a
// folder. 1 when the name is gone; 0 with the file's attributes given back where it stays, and its error in
// GetLastError (ERROR_SHARING_VIOLATION where another program held it without sharing deletion).
int RemoveFile(const char *path);

// Removes the empty folder at path. 1 when the name is gone.
int RemoveFolder(const char *path);

#endif
