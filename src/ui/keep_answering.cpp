#include "ui/keep_answering.h"

#include <windows.h>

void KeepAnswering() {
  // Each look at the queue is a call to the window system: at most one every 50 ms, which answers soon enough.
  static DWORD last;
  DWORD now = GetTickCount();
  if (now - last < 50)
    return;
  last = now;
  MSG message;
  // Looking at the queue delivers the sent messages and tells the system that the thread is alive.
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  // A window that never validates itself would hand out WM_PAINT for ever: a bounded number of repaints.
  for (int i = 0; i < 32 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    DispatchMessageA(&message);
}
