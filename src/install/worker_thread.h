#ifndef VELLUMINE_INSTALL_WORKER_THREAD_H
#define VELLUMINE_INSTALL_WORKER_THREAD_H

#include <windows.h>

#include "install/install_sequence.h"

// Runs work with parameter on a thread of its own while wait runs on this one, or on this thread without wait or
// where no thread can be made; returns what work returned.
DWORD RunBeside(LPTHREAD_START_ROUTINE work, void *parameter, InstallWait wait);

#endif
