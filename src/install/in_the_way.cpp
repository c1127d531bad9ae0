// The look before the install at what stands in the way of its files. Runs on a thread of its own (RunBeside).
#include "install/in_the_way.h"

#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/kernel_function.h"
#include "install/hold_retry.h"
#include "install/manifest.h"
#include "store/payload_store.h"

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

// Whether a program's path lies on the install's drive: an image anywhere else is never opened, since a sleeping
// network drive could keep the look waiting.
int OnInstallDrive(const char *path) {
  if (!strncmp(path, "\\\\?\\", 4))
    path += 4;
  return path[0] && path[1] == ':' && (path[0] | 0x20) == (InstallDir[0] | 0x20); // a drive letter in either case
}

typedef BOOL(WINAPI *EnumProcessesFn)(DWORD *, DWORD, DWORD *);
typedef BOOL(WINAPI *ImageNameFn)(HANDLE, DWORD, LPSTR, PDWORD);
typedef DWORD(WINAPI *ModuleNameFn)(HANDLE, HMODULE, LPSTR, DWORD);

// The executables of the running processes on the install's drive, as identities; their count. Kernel32 lists them
// where it can (Windows 7 and later), psapi.dll elsewhere (XP), loaded for the look and released after it.
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
      count += named && OnInstallDrive(path) && IdentityOf(path, &images[count]);
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
    DWORD error = GetLastError();
    if (!TryAgain(started, error, 0))
      return error == ERROR_SHARING_VIOLATION;
  }
}

// Looks at the carried rows' destinations (a row the store does not carry is never written): first for a folder
// where a file goes, then for a file that a running program was started from, then for one held open.
DWORD WINAPI FindWork(LPVOID parameter) {
  char *named = static_cast<char *>(parameter);
  static Identity images[ProcessLimit];
  int running = -1;
  for (int pass = 0; pass < 3; ++pass)
    for (const ManifestRow &row : Manifest) {
      DWORD attributes = INVALID_FILE_ATTRIBUTES;
      if (!StoreCarries(row.id) || !ManifestRowPath(row, InstallDir, named, MAX_PATH) ||
          (attributes = GetFileAttributesA(named)) == INVALID_FILE_ATTRIBUTES)
        continue; // none there: nothing to replace
      if (pass == 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderInTheWay;
      Identity file;
      if (pass == 1 && running < 0)
        running = RunningImages(images, ProcessLimit);
      if (pass == 1 && IdentityOf(named, &file))
        for (int i = 0; i < running; ++i)
          if (images[i].volume == file.volume && images[i].high == file.high && images[i].low == file.low)
            return FileInUse;
      if (pass == 2 && HeldOpen(named))
        return FileInUse;
    }
  named[0] = 0;
  return NothingInTheWay;
}

} // namespace

InTheWay FindWhatIsInTheWay(char *named, InstallWait wait) {
  return static_cast<InTheWay>(RunBeside(FindWork, named, wait));
}
