#!/usr/bin/python3
"""The shipped VellumineSetup.exe's hardening, read from the Linux side (so also where it cannot run): its machine
type, a GUI subsystem, ASLR with a real relocation table, DEP, no build time in the header, imports from system
DLLs only, the asInvoker and DPI-aware manifest, and the version details in English and Chinese (Simplified).
    check_pe.py EXE i386|amd64 VERSION"""
import struct
import sys

import pefile

# System DLLs only; not comdlg32, which brings the shell in and is loaded at Browse.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll"}
MACHINES = {"i386": (0x14C, 0x10B), "amd64": (0x8664, 0x20B)}


# Properties > Details, as the build must give them: the two string blocks, UTF-16 in the file.
DETAILS = {
    "040904b0": {"ProductName": "Vellumine", "FileDescription": "Vellumine Installer",
                 "OriginalFilename": "VellumineSetup.exe", "LegalCopyright": "Copyright (C) the author of Vellumine",
                 "CompanyName": "The author of Vellumine", "InternalName": "VellumineSetup"},
    "080404b0": {"ProductName": "Vellumine", "FileDescription": "Vellumine 安装程序",
                 "OriginalFilename": "VellumineSetup.exe", "LegalCopyright": "版权所有 (C) Vellumine 作者",
                 "CompanyName": "Vellumine 作者", "InternalName": "VellumineSetup"},
}


def version_failures(pe, version):
    """What differs in the version resource from DETAILS and VERSION (x.y.z), and the fields it holds."""
    found, problems = {}, []
    for info in getattr(pe, "FileInfo", [[]])[0]:
        for table in getattr(info, "StringTable", []):
            found[table.LangID.decode().lower()] = {k.decode(): v.decode() for k, v in table.entries.items()}
    for block, fields in DETAILS.items():
        want = dict(fields, FileVersion=version, ProductVersion=version)
        for key, value in want.items():
            if found.get(block, {}).get(key) != value:
                problems.append("%s %s: %r, expected %r" % (block, key, found.get(block, {}).get(key), value))
    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    parts = [int(p) for p in version.split(".")]
    want_ms, want_ls = parts[0] << 16 | parts[1], parts[2] << 16
    for name in ("FileVersion", "ProductVersion"):
        ms, ls = (getattr(fixed, name + "MS"), getattr(fixed, name + "LS")) if fixed else (None, None)
        if (ms, ls) != (want_ms, want_ls):
            problems.append("fixed %s %r.%r, expected %d.%d" % (name, ms, ls, want_ms, want_ls))
    return problems, found


def failures(path, machine, version):
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
    manifest, icons = b"", []
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    for kind in resources:
        data = kind.directory.entries[0].directory.entries[0].data.struct
        if kind.id == 24:
            manifest = pe.get_data(data.OffsetToData, data.Size)
        if kind.id == 14:  # the icon group: per image, its size and colour depth (GRPICONDIRENTRY)
            group = pe.get_data(data.OffsetToData, data.Size)
            icons = [struct.unpack_from("<BBBBHH", group, 6 + 14 * i) for i in range(group[4])]
    sizes = {(w or 256, bits) for w, _, _, _, _, bits in icons}
    checks.append(({(16, 4), (32, 4), (48, 8)} <= sizes, "icon images %s: 16 and 32 in 16 colours, 48 in 256" % sizes))
    checks.append((b'requestedExecutionLevel level="asInvoker"' in manifest, "no asInvoker manifest"))
    checks.append((b'2005/WindowsSettings">true</dpiAware>' in manifest, "no system DPI awareness in the manifest"))
    problems, found = version_failures(pe, version)
    for block in sorted(found):
        print("version block %s: %s" % (block, "; ".join("%s=%s" % kv for kv in sorted(found[block].items()))))
    return [why for ok, why in checks if not ok] + problems


if __name__ == "__main__":
    found = failures(sys.argv[1], sys.argv[2], sys.argv[3])
    for why in found:
        print(why)
    print("PE headers, imports, manifest and version details of %s checked (%s)" % (sys.argv[1], sys.argv[2]))
    print("0 passed, 1 failed" if found else "1 passed, 0 failed")
    sys.exit(1 if found else 0)
