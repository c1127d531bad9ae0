#!/usr/bin/python3
"""The shipped VellumineSetup.exe's hardening, read from the Linux side (so also where it cannot run): its machine
type, a GUI subsystem, ASLR with a real relocation table, DEP, no build time in the header, imports from system
DLLs only and the asInvoker manifest.   check_pe.py EXE i386|amd64"""
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "comctl32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll"}
MACHINES = {"i386": (0x14C, 0x10B), "amd64": (0x8664, 0x20B)}


def failures(path, machine):
    pe = pefile.PE(path)
    fh, oh = pe.FILE_HEADER, pe.OPTIONAL_HEADER
    want_machine, want_magic = MACHINES[machine]
    checks = [
        (fh.Machine == want_machine, "machine 0x%x, expected 0x%x" % (fh.Machine, want_machine)),
        (oh.Magic == want_magic, "optional header magic 0x%x" % oh.Magic),
        (oh.Subsystem == 2, "subsystem %d, not GUI" % oh.Subsystem),
        (oh.DllCharacteristics & 0x40, "no ASLR (DYNAMIC_BASE)"),
        (oh.DllCharacteristics & 0x100, "no DEP (NX_COMPAT)"),
        (not fh.Characteristics & 0x1, "relocations stripped"),
        (oh.DATA_DIRECTORY[5].Size > 0, "no relocation table"),
        (fh.TimeDateStamp == 0, "a build time in the header"),
    ]
    imports = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    checks.append((len(imports) >= 3, "only %d imported DLLs" % len(imports)))
    checks += [(dll in SYSTEM_DLLS, "imports " + dll) for dll in imports]
    manifest = b""
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    for kind in resources:
        if kind.id == 24:
            data = kind.directory.entries[0].directory.entries[0].data.struct
            manifest = pe.get_data(data.OffsetToData, data.Size)
    checks.append((b'requestedExecutionLevel level="asInvoker"' in manifest, "no asInvoker manifest"))
    return [why for ok, why in checks if not ok]


if __name__ == "__main__":
    found = failures(sys.argv[1], sys.argv[2])
    for why in found:
        print(why)
    print("PE headers, imports and manifest of %s checked (%s)" % (sys.argv[1], sys.argv[2]))
    print("0 passed, 1 failed" if found else "1 passed, 0 failed")
    sys.exit(1 if found else 0)
