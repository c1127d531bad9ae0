#include "install/files_in_use.h"

#include <windows.h>

#include "app/globals.h"
#include "install/hold_retry.h"
#include "install/kernel_function.h"
#include "install/manifest.h"

namespace {

// A file as the file system knows it: the same whatever name or path leads to it.
struct Identity {
  DWORD volume, high, low;
};

int IdentityOf(const char *path, Identity *identity) {
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  BY_HANDLE_FILE_INFORMATION info;
  int known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return known;
}

enum { ProcessLimit = 1024 };

typedef BOOL(WINAPI *EnumProcessesFn)(DWORD *, DWORD, DWORD *);
typedef BOOL(WINAPI *ImageNameFn)(HANDLE, DWORD, LPSTR, PDWORD);
typedef DWORD(WINAPI *ModuleNameFn)(HANDLE, HMODULE, LPSTR, DWORD);

// The executables of the running processes, as identities; their count. Kernel32 lists them where it can (Windows
// 7 and later), psapi.dll elsewhere (XP), loaded for the look and released after it.
int RunningImages(Identity *images, int capacity) {
  HMODULE psapi = nullptr;
  EnumProcessesFn enumerate = KernelFunction<EnumProcessesFn>("K32EnumProcesses");
  ImageNameFn imageName = KernelFunction<ImageNameFn>("QueryFullProcessImageNameA");
  ModuleNameFn moduleName = nullptr;
  if (!enumerate || !imageName) {
    psapi = LoadSystemLibrary("psapi.dll");
    enumerate = ModuleFunction<EnumProcessesFn>(psapi, "EnumProcesses");
    moduleName = ModuleFunction<ModuleNameFn>(psapi, "GetModuleFileNameExA");
  }
  static DWORD ids[ProcessLimit];
  DWORD bytes = 0;
  int count = 0;
  if (enumerate && (imageName || moduleName) && enumerate(ids, sizeof ids, &bytes)) {
    // Vista and later answer the limited query for every process; XP needs the full one, and the right to read.
    DWORD access = imageName ? PROCESS_QUERY_LIMITED_INFORMATION : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
    for (DWORD i = 0; i < bytes / sizeof ids[0] && count < capacity; ++i) {
      HANDLE process = ids[i] ? OpenProcess(access, FALSE, ids[i]) : nullptr;
      if (!process)
        continue;
      char path[MAX_PATH];
      DWORD length = MAX_PATH;
      int named =
          imageName ? imageName(process, 0, path, &length) != 0 : moduleName(process, nullptr, path, MAX_PATH) != 0;
      CloseHandle(process);
      count += named && IdentityOf(path, &images[count]);
    }
  }
  if (psapi)
    FreeLibrary(psapi);
  return count;
}

// Whether another program holds the file open without sharing its deletion, past a scanner's look: an open for
// deletion that shares everything is then refused.
int HeldOpen(const char *path) {
  for (DWORD started = GetTickCount();;) {
    HANDLE file = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return 0;
    }
    if (!TryAgain(started, 0))
      return GetLastError() == ERROR_SHARING_VIOLATION;
  }
}

DWORD WINAPI FindWork(LPVOID parameter) {
  char *held = static_cast<char *>(parameter);
  static Identity images[ProcessLimit];
  int running = RunningImages(images, ProcessLimit);
  for (const ManifestRow &row : Manifest) {
    ManifestRowPath(row, InstallDir, held, MAX_PATH);
    Identity file;
    if (!IdentityOf(held, &file))
      continue; // none there: nothing to replace
    for (int i = 0; i < running; ++i)
      if (images[i].volume == file.volume && images[i].high == file.high && images[i].low == file.low)
        return 1;
    if (HeldOpen(held))
      return 1;
  }
  held[0] = 0;
  return 0;
}

} // namespace

int FindFileInUse(char *held, InstallWait wait) { return static_cast<int>(RunBeside(FindWork, held, wait)); }
