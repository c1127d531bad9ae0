#ifndef VELLUMINE_INSTALL_IN_THE_WAY_H
#define VELLUMINE_INSTALL_IN_THE_WAY_H

// What stands in the way of the install, found before anything is written: a folder where a file goes (the user's:
// never moved), the file of a running program (Windows neither replaces nor removes it), or a file held open
// without sharing its deletion for longer than a scanner's look (hold_retry.h), which cannot be renamed.
#include "install/worker_thread.h"

enum InTheWay { NothingInTheWay = 0, FileInUse = 1, FolderInTheWay = 2 };

// Looks at the destination of every row the store carries, in manifest order: for a folder, then for the executable
// of a running process on the install's drive (the same file, by volume and file index, whatever its path's
// spelling), then for a file held open. Returns what it found, with its path in named (MAX_PATH bytes). With wait,
// looks on a thread of its own while wait runs on this one (RunBeside).
InTheWay FindWhatIsInTheWay(char *named, InstallWait wait = nullptr);

#endif
