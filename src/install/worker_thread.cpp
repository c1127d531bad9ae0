// Running work on a thread of its own while the window's thread waits and answers the system.
#include "install/worker_thread.h"

DWORD RunBeside(LPTHREAD_START_ROUTINE work, void *parameter, InstallWait wait) {
  HANDLE worker = wait ? CreateThread(nullptr, 0, work, parameter, 0, nullptr) : nullptr;
  if (!worker)
    return work(parameter);
  DWORD result = 0;
  wait(worker);
  GetExitCodeThread(worker, &result);
  CloseHandle(worker);
  return result;
}
