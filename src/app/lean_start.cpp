// The C runtime's start-up, less what this program never needs. mingw's start-up applies "pseudo relocations",
// fix-ups that the linker leaves where code reads a DLL's data directly; the installer reads none, so their list is
// empty, and the relocator (1.5 KB with the error reporting and section lookup it brings) is replaced by a check that
// it is: a list that ever appears ends the program at once, before anything could read data that was not fixed up.
#include <windows.h>

extern "C" char __RUNTIME_PSEUDO_RELOC_LIST__, __RUNTIME_PSEUDO_RELOC_LIST_END__;

extern "C" void _pei386_runtime_relocator(void) {
  if (&__RUNTIME_PSEUDO_RELOC_LIST__ != &__RUNTIME_PSEUDO_RELOC_LIST_END__)
    ExitProcess(3);
}
