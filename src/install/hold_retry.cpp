#include "install/hold_retry.h"

int TryAgain(DWORD started, int deniedToo) {
  DWORD error = GetLastError();
  if ((error != ERROR_SHARING_VIOLATION && !(deniedToo && error == ERROR_ACCESS_DENIED)) ||
      GetTickCount() - started >= HoldMilliseconds)
    return 0;
  Sleep(HoldPauseMilliseconds);
  SetLastError(error);
  return 1;
}
