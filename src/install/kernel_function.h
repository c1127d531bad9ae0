#ifndef VELLUMINE_INSTALL_KERNEL_FUNCTION_H
#define VELLUMINE_INSTALL_KERNEL_FUNCTION_H

// A function of a system DLL (kernel32 unless named) that older Windows lacks, looked up at run time; null where the
// system has none.
#include <string.h>
#include <windows.h>

template <typename Fn> Fn KernelFunction(const char *name, const char *module = "kernel32.dll") {
  FARPROC found = GetProcAddress(GetModuleHandleA(module), name);
  Fn function = nullptr;
  static_assert(sizeof function == sizeof found, "function pointers");
  if (found)
    memcpy(&function, &found, sizeof found);
  return function;
}

#endif
