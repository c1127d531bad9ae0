#include "store_harness.h"

#include <zlib.h>

#include <cstdio>

#include "app/globals.h"
#include "file_io.h"
#include "test_folders.h"

namespace {

std::string ModuleDirectory() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1);
}

} // namespace

HMODULE MakeStoreModule(const char *name, const std::vector<StoreEntry> &entries) {
  std::string dir = ModuleDirectory();
  std::string copy = dir + name + ".dll";
  if (!CopyFileA((dir + "store_module.dll").c_str(), copy.c_str(), FALSE))
    return nullptr;
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  if (!update)
    return nullptr;
  for (const StoreEntry &e : entries)
    UpdateResourceA(update, e.type, MAKEINTRESOURCEA(e.id), 0, const_cast<unsigned char *>(e.data.data()),
                    static_cast<DWORD>(e.data.size()));
  if (!EndUpdateResourceA(update, FALSE))
    return nullptr;
  return LoadLibraryA(copy.c_str());
}

Bytes OwnEntry(unsigned short id, const char *type) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC r = FindResourceA(self, MAKEINTRESOURCEA(id), type);
  if (!r)
    return Bytes();
  const unsigned char *p = static_cast<const unsigned char *>(LockResource(LoadResource(self, r)));
  return Bytes(p, p + SizeofResource(self, r));
}

Bytes Deflate(const Bytes &data) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  Bytes out(length);
  compress2(out.data(), &length, data.data(), static_cast<uLong>(data.size()), 9);
  out.resize(length);
  return out;
}

Bytes ReadWholeFile(const std::string &path) {
  Bytes out;
  ReadFileBytes(path, out);
  return out;
}

bool WriteWholeFile(const std::string &path, const Bytes &data) { return WriteFileBytes(path, data); }

Bytes SourceFile(const std::string &relative) {
  return ReadWholeFile(std::string("Z:") + VELLUMINE_SOURCE_DIR + "/" + relative);
}

Bytes PackedFile(const std::string &name) {
  Bytes ours = SourceFile("payload/" + name);
  return ours.empty() ? ReadWholeFile(std::string("Z:") + VELLUMINE_STANDIN_DIR + "/" + name) : ours;
}

ScopedAppInstance::ScopedAppInstance(HMODULE module) : saved(AppInstance) { AppInstance = module; }
ScopedAppInstance::~ScopedAppInstance() { AppInstance = saved; }

std::string FreshFolder(const char *name) {
  std::string dir = std::string("E:\\") + name;
  EmptyFolder(dir); // what an earlier run left
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}
