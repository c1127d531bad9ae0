// Start-up time of an installer: from process creation until its first window is visible with nothing left to
// paint. The process is then ended.
//
//   startup_bench EXE "WINDOW TITLE" [ARGS]     prints "startup <milliseconds> ms"
#include <windows.h>

#include <stdio.h>
#include <string>

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: startup_bench EXE TITLE [ARGS]\n");
    return 2;
  }
  std::string command = std::string("\"") + argv[1] + "\"" + (argc > 3 ? std::string(" ") + argv[3] : "");
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(argv[1], &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 1;
  HWND window = nullptr;
  for (int i = 0; i < 20000; ++i) {
    window = FindWindowA("#32770", argv[2]);
    if (window && IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE))
      break;
    window = nullptr;
    Sleep(1);
  }
  QueryPerformanceCounter(&now);
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  if (!window)
    return 1;
  printf("startup %.2f ms\n",
         1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
  return 0;
}
