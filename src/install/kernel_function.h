#ifndef VELLUMINE_INSTALL_KERNEL_FUNCTION_H
#define VELLUMINE_INSTALL_KERNEL_FUNCTION_H

// A kernel32 function that older Windows lacks, looked up at run time; null where the system has none.
#include <string.h>
#include <windows.h>

template <typename Fn> Fn KernelFunction(const char *name) {
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
  Fn function = nullptr;
  static_assert(sizeof function == sizeof found, "function pointers");
  if (found)
    memcpy(&function, &found, sizeof found);
  return function;
}

#endif
