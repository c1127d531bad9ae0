#ifndef VELLUMINE_INSTALL_WORKER_THREAD_H
#define VELLUMINE_INSTALL_WORKER_THREAD_H

#include <windows.h>

// How the wizard waits while work runs on a thread of its own, answering the system meanwhile: it returns once the
// thread (a HANDLE) has ended. The thread may send messages to the wizard's window, which the wait must handle.
typedef void (*InstallWait)(void *worker);

// Runs work with parameter on a thread of its own while wait runs on this one, or on this thread without wait or
// where no thread can be made; returns what work returned.
DWORD RunBeside(LPTHREAD_START_ROUTINE work, void *parameter, InstallWait wait);

#endif
