// Waiting out another program's brief hold on a file: whether a failed rename, removal or open is tried again.
#include "install/hold_retry.h"

int TryAgain(DWORD started, DWORD error, int deniedToo) {
  if ((error != ERROR_SHARING_VIOLATION && !(deniedToo && error == ERROR_ACCESS_DENIED)) ||
      GetTickCount() - started >= HoldMilliseconds)
    return 0;
  Sleep(HoldPauseMilliseconds);
  return 1;
}
