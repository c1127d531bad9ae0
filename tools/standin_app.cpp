// Stands in for the application's own executables in builds without the maker's files.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  char text[MAX_PATH + 128];
  wsprintfA(text,
            "%s\n\nThis is a stand-in for a Vellumine program, made by the installer's build "
            "without the maker's files.",
            path);
  MessageBoxA(nullptr, text, "Vellumine stand-in", MB_OK | MB_ICONINFORMATION);
  return 0;
}
