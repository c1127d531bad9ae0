#ifndef VELLUMINE_INSTALL_FILES_IN_USE_H
#define VELLUMINE_INSTALL_FILES_IN_USE_H

// Whether another program uses a file that the install would replace, found before anything is written: Windows
// neither replaces nor removes the file of a running program, and a file held open without sharing its deletion
// cannot be renamed.
#include "install/worker_thread.h"

// Looks at every existing destination of the manifest, in its order: is it the executable of a running process
// (the same file, by volume and file index, whatever its path's spelling), or held open without sharing deletion
// for longer than a scanner's look (hold_retry.h)? Returns 1 with the first such path in held (MAX_PATH bytes),
// 0 when none is. With wait, looks on a thread of its own while wait runs on this one (RunBeside).
int FindFileInUse(char *held, InstallWait wait = nullptr);

#endif
