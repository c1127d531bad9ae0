#ifndef VELLUMINE_TESTS_STORE_HARNESS_H
#define VELLUMINE_TESTS_STORE_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct StoreEntry {
  unsigned short id;
  Bytes data; // stored as it is: a zlib stream, or deliberately not one
  const char *type = "TEXT";
};

// A module holding exactly these "TEXT" entries, made from a copy of store_module.dll; name must be unique per
// call. Null on failure.
HMODULE MakeStoreModule(const char *name, const std::vector<StoreEntry> &entries);

// The raw bytes of an entry of the test program's own store (type "TEXT" unless given).
Bytes OwnEntry(unsigned short id, const char *type = "TEXT");

// zlib at the highest level.
Bytes Deflate(const Bytes &data);

// A file of the source tree (payload/...), read through Wine's Z: drive.
Bytes SourceFile(const std::string &relative);

// The file the build packed under this name: ours from payload/, else the generated stand-in.
Bytes PackedFile(const std::string &name);

// While alive, AppInstance is the given module.
struct ScopedAppInstance {
  HINSTANCE saved;
  explicit ScopedAppInstance(HMODULE module);
  ~ScopedAppInstance();
};

// The drive mapped to the test folder (E:), and a helper for fresh folders on it.
std::string FreshFolder(const char *name);
Bytes ReadWholeFile(const std::string &path);
bool WriteWholeFile(const std::string &path, const Bytes &data);

#endif
