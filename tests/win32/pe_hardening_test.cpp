// The built VellumineSetup.exe keeps its hardening: the machine type of its build, ASLR with a real relocation
// table, DEP, a GUI subsystem, the asInvoker manifest, and imports from system DLLs only. (check_pe.py checks the
// shipped 32-bit exe from the Linux side too, on hosts where it cannot run.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
  // System DLLs only; not comdlg32, which brings the shell in and is loaded at Browse.
  const char *system[] = {"kernel32.dll", "user32.dll",   "gdi32.dll",  "comctl32.dll",
                          "msvcrt.dll",   "advapi32.dll", "shell32.dll"};
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
  EXPECT_NE(xml.find("2005/WindowsSettings\">true</dpiAware>"), std::string::npos) << "aware of the system DPI";
  EXPECT_NE(xml.find(sizeof(void *) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\""),
            std::string::npos);
  FreeLibrary(image);
}

// Properties > Details: both string blocks, as Windows reads them, and the fixed versions from the build's one
// version number.
TEST(PeHardening, VersionDetailsInEnglishAndChinese) {
  std::string path = InstallerPath();
  DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<unsigned char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
  std::wstring version(VELLUMINE_VERSION, VELLUMINE_VERSION + strlen(VELLUMINE_VERSION));
  const struct {
    const wchar_t *block, *key, *value;
  } fields[] = {
      {L"040904B0", L"ProductName", L"Vellumine"},
      {L"040904B0", L"FileDescription", L"Vellumine Installer"},
      {L"040904B0", L"OriginalFilename", L"VellumineSetup.exe"},
      {L"040904B0", L"LegalCopyright", L"Copyright (C) the author of Vellumine"},
      {L"040904B0", L"FileVersion", version.c_str()},
      {L"080404B0", L"ProductName", L"Vellumine"},
      {L"080404B0", L"FileDescription", L"Vellumine 安装程序"},
      {L"080404B0", L"OriginalFilename", L"VellumineSetup.exe"},
      {L"080404B0", L"LegalCopyright", L"版权所有 (C) Vellumine 作者"},
      {L"080404B0", L"ProductVersion", version.c_str()},
  };
  for (const auto &f : fields) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\") + f.block + L"\\" + f.key;
    wchar_t *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void **>(&value), &length)) << f.key;
    EXPECT_EQ(std::wstring(value), std::wstring(f.value)) << f.key;
  }
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(sscanf(VELLUMINE_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
  EXPECT_EQ(fixed->dwFileVersionMS, major << 16 | minor);
  EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, major << 16 | minor);
}

} // namespace
