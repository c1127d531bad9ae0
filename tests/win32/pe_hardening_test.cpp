// The built VellumineSetup.exe keeps its hardening: the machine type of its build, ASLR with a real relocation
// table, DEP, a GUI subsystem, the asInvoker manifest, and imports from system DLLs only. (check_pe.py checks the
// shipped 32-bit exe from the Linux side too, on hosts where it cannot run.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store_harness.h"

namespace {

std::string InstallerPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path);
  s = s.substr(0, s.find_last_of('\\')); // tests\win32
  s = s.substr(0, s.find_last_of('\\')); // tests
  return s.substr(0, s.find_last_of('\\') + 1) + "VellumineSetup.exe";
}

TEST(PeHardening, HeadersImportsAndManifest) {
  Bytes exe = ReadWholeFile(InstallerPath());
  ASSERT_GT(exe.size(), 4096u) << InstallerPath();
  const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(exe.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(exe.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
#ifdef _WIN64
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
#else
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
#endif
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "ASLR";
  EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "DEP";
  EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
  EXPECT_GT(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u) << "a relocation table";
  EXPECT_EQ(nt->FileHeader.TimeDateStamp, 0u) << "no build time in the header";

  // Imports, read from the image as the loader maps it.
  HMODULE image = LoadLibraryExA(InstallerPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(image, nullptr);
  const unsigned char *base = reinterpret_cast<const unsigned char *>(image);
  const IMAGE_NT_HEADERS *mapped =
      reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY &imports = mapped->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const char *system[] = {"kernel32.dll", "user32.dll", "gdi32.dll",    "comdlg32.dll",
                          "comctl32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll"};
  int count = 0;
  for (auto *d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); d->Name; ++d) {
    const char *name = reinterpret_cast<const char *>(base + d->Name);
    bool known = false;
    for (const char *s : system)
      known = known || _stricmp(name, s) == 0;
    EXPECT_TRUE(known) << "imports " << name;
    ++count;
  }
  EXPECT_GE(count, 3);

  HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr) << "an application manifest";
  const char *text = static_cast<const char *>(LockResource(LoadResource(image, manifest)));
  std::string xml(text, SizeofResource(image, manifest));
  EXPECT_NE(xml.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  FreeLibrary(image);
}

} // namespace
