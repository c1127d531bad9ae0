#include "install/file_writer.h"

#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "store/payload_store.h"

namespace {

int WriteWholeFile(const char *path, const void *data, unsigned long length) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  DWORD written = 0;
  BOOL wrote = length == 0 || WriteFile(file, data, length, &written, nullptr);
  BOOL closed = CloseHandle(file);
  return wrote && closed && written == length;
}

} // namespace

int ReplaceFileContents(const char *path, const void *data, unsigned long length) {
  // The temporary file sits beside the destination, so that replacing is a rename on the same medium. A name of
  // our own is the quickest; GetTempFileNameA serves when the path leaves no room for it.
  char temporary[MAX_PATH];
  if (BoundedFormat(temporary, sizeof temporary, "%s%s", path, TemporarySuffix) >= static_cast<int>(sizeof temporary)) {
    char folder[MAX_PATH];
    const char *slash = strrchr(path, '\\');
    size_t folderLength = slash ? static_cast<size_t>(slash - path) : 0;
    if (folderLength + 2 >= sizeof folder)
      return 0;
    memcpy(folder, path, folderLength);
    folder[folderLength] = 0;
    if (!slash)
      strcpy(folder, ".");
    else if (folderLength == 2 && folder[1] == ':') // a drive root: "E:" alone would name the drive's current folder
      strcpy(folder + 2, "\\");
    if (!GetTempFileNameA(folder, "vel", 0, temporary))
      return 0;
  }
  if (!WriteWholeFile(temporary, data, length)) {
    DeleteFileA(temporary);
    return 0;
  }

  DWORD old = GetFileAttributesA(path);
  int cleared = old != INVALID_FILE_ATTRIBUTES && (old & FileAttributeBits);
  if (cleared)
    SetFileAttributesA(path, old & ~static_cast<DWORD>(FileAttributeBits));
  if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
    if (cleared)
      SetFileAttributesA(path, old);
    DeleteFileA(temporary);
    return 0;
  }
  return 1;
}

int WritePayloadFile(const char *name, const unsigned char *data, unsigned long length, int readOnly, int hidden,
                     const char *path) {
  char destination[InstallDirSize];
  if (path) {
    if (BoundedFormat(destination, sizeof destination, "%s", path) >= static_cast<int>(sizeof destination))
      return 0;
  } else if (!name || BoundedFormat(destination, sizeof destination, "%s\\%s", InstallDir, name) >=
                          static_cast<int>(sizeof destination)) {
    return 0;
  }
  if (!ReplaceFileContents(destination, data, length))
    return 0;
  if (readOnly || hidden) {
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (readOnly)
        attributes |= FILE_ATTRIBUTE_READONLY;
      if (hidden)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
      SetFileAttributesA(destination, attributes);
    }
  }
  return 1;
}

int ExtractPayload(unsigned short id, const char *name, unsigned char *buffer, unsigned long capacity, int readOnly,
                   int hidden, const char *path) {
  unsigned long length = 0;
  if (!InflatePayload(id, buffer, capacity, &length))
    return 0;
  return WritePayloadFile(name, buffer, length, readOnly, hidden, path);
}
