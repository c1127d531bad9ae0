#include "install/hold_retry.h"

int HeldBy(DWORD error, int deniedToo) {
  return error == ERROR_SHARING_VIOLATION || (deniedToo && error == ERROR_ACCESS_DENIED);
}

int TryAgain(DWORD started, int deniedToo) {
  DWORD error = GetLastError();
  if (!HeldBy(error, deniedToo) || GetTickCount() - started >= HoldMilliseconds)
    return 0;
  Sleep(HoldPauseMilliseconds);
  SetLastError(error);
  return 1;
}
