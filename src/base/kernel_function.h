#ifndef VELLUMINE_BASE_KERNEL_FUNCTION_H
#define VELLUMINE_BASE_KERNEL_FUNCTION_H

// A function of a system DLL (kernel32 unless named) that older Windows lacks, looked up at run time; null where the
// system has none.
#include <string.h>
#include <windows.h>

template <typename Fn> Fn ModuleFunction(HMODULE module, const char *name) {
  FARPROC found = module ? GetProcAddress(module, name) : nullptr;
  Fn function = nullptr;
  static_assert(sizeof function == sizeof found, "function pointers");
  if (found)
    memcpy(&function, &found, sizeof found);
  return function;
}
template <typename Fn> Fn KernelFunction(const char *name, const char *module = "kernel32.dll") {
  return ModuleFunction<Fn>(GetModuleHandleA(module), name);
}

// A system DLL that the process has not loaded, loaded from the system folder by its full path: never a copy that
// lies beside the installer (a downloads folder), even where SetDefaultDllDirectories is missing. Null when it
// cannot be loaded; FreeLibrary releases it.
inline HMODULE LoadSystemLibrary(const char *name) {
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  size_t nameLength = strlen(name);
  if (!length || length + 1 + nameLength >= MAX_PATH)
    return nullptr;
  path[length] = '\\';
  memcpy(path + length + 1, name, nameLength + 1);
  return LoadLibraryA(path);
}

#endif
