#include "install/file_writer.h"

#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/kernel_function.h"
#include "store/payload_store.h"

namespace {

// The bits SetFileAttributesA can change; FILE_ATTRIBUTE_NORMAL stands only alone.
const DWORD SettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                 FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Sets a file's attribute word, read-only last. Wine keeps read-only as the Unix write bits and the other bits in
// an extended attribute, which an unprivileged Unix user can no longer write once the write bits are gone.
void SetAttributes(const char *path, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) && (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
    SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

// Removes the file at path whatever its attributes; nothing where there is none.
void RemoveFile(const char *path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
}

// Gives the open file, which has all its other bits from creation, the read-only bit too, so that its flush takes
// the directory entry to the medium with the data and nothing of the entry changes afterwards. Through the handle
// where the system has SetFileInformationByHandle (Vista and later); elsewhere by name, which a file open without
// sharing allows, since changing attributes is not a kind of access that sharing controls.
void MarkReadOnly(HANDLE file, const char *path, DWORD attributes) {
  FILE_BASIC_INFO info = {}; // zero times: left as they are
  info.FileAttributes = attributes;
  if (!SetFileInformation || !SetFileInformation(file, FileBasicInfo, &info, sizeof info))
    SetAttributes(path, attributes);
}

// The install's own name for the temporary file beside path.
int BesideName(const char *path, char *temporary) {
  return BoundedFormat(temporary, MAX_PATH, "%s%s", path, TemporarySuffix) < MAX_PATH;
}

// A name for the temporary file beside path: a name of our own is the quickest; GetTempFileNameA serves when the
// path leaves no room for it.
int TemporaryName(const char *path, char *temporary) {
  if (BesideName(path, temporary))
    return 1;
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
  return GetTempFileNameA(folder, "vel", 0, temporary) != 0;
}

// Writes the new file complete under its temporary name, beside the earlier one (or beside nothing), with its
// final attribute word: the earlier file's other bits (system, archive, not content-indexed...) and this install's
// read-only and hidden, all but read-only from creation. A temporary file that an interrupted install left is
// replaced. Removed again on any failure.
int WriteTemporary(const char *path, const char *temporary, const void *data, unsigned long length, DWORD bits,
                   int flush, DWORD *earlier) {
  DWORD old = *earlier = GetFileAttributesA(path);
  DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & SettableAttributes & ~static_cast<DWORD>(FileAttributeBits);
  DWORD final = kept | (bits & FileAttributeBits), created = final & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 2 && file == INVALID_HANDLE_VALUE; ++attempt) {
    // One that an interrupted install left is replaced; read-only or hidden, it is removed first.
    if (attempt)
      RemoveFile(temporary);
    file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, created ? created : FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  DWORD written = 0;
  BOOL wrote = WriteFile(file, data, length, &written, nullptr) && written == length;
  if (wrote && (final & FILE_ATTRIBUTE_READONLY))
    MarkReadOnly(file, temporary, final);
  // Flushed, the data and the entry are on the medium before the file takes its name.
  BOOL done = wrote && (!flush || FlushFileBuffers(file));
  if (!CloseHandle(file) || !done) {
    RemoveFile(temporary);
    return 0;
  }
  return 1;
}

// Renames the temporary file onto path, where the earlier file has the attribute word old. Windows refuses to
// replace a read-only file (and Wine one whose write bits are gone), so the earlier file's read-only and hidden bits
// are cleared first, and given back if the rename fails.
int Rename(const char *path, const char *temporary, int writeThrough, DWORD old) {
  int cleared = old != INVALID_FILE_ATTRIBUTES && (old & FileAttributeBits);
  if (cleared)
    SetFileAttributesA(path, old & ~static_cast<DWORD>(FileAttributeBits));
  if (MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0)))
    return 1;
  if (cleared)
    SetAttributes(path, old & SettableAttributes);
  RemoveFile(temporary);
  return 0;
}

} // namespace

SetFileInformationFn SetFileInformation = KernelFunction<SetFileInformationFn>("SetFileInformationByHandle");

int WriteBeside(const char *path, const void *data, unsigned long length, unsigned long attributes) {
  char temporary[MAX_PATH];
  DWORD earlier;
  return BesideName(path, temporary) && WriteTemporary(path, temporary, data, length, attributes, 0, &earlier);
}

int PutInPlace(const char *path) {
  char temporary[MAX_PATH];
  return BesideName(path, temporary) && Rename(path, temporary, 0, GetFileAttributesA(path));
}

void RemoveBeside(const char *path) {
  char temporary[MAX_PATH];
  if (BesideName(path, temporary))
    RemoveFile(temporary);
}

int ReplaceFileContents(const char *path, const void *data, unsigned long length, unsigned long attributes) {
  char temporary[MAX_PATH];
  DWORD earlier;
  return TemporaryName(path, temporary) && WriteTemporary(path, temporary, data, length, attributes, 1, &earlier) &&
         Rename(path, temporary, 1, earlier);
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
  int attributes = (readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
  return ReplaceFileContents(destination, data, length, static_cast<unsigned long>(attributes));
}

int ExtractPayload(unsigned short id, const char *name, unsigned char *buffer, unsigned long capacity, int readOnly,
                   int hidden, const char *path) {
  unsigned long length = 0;
  if (!InflatePayload(id, buffer, capacity, &length))
    return 0;
  return WritePayloadFile(name, buffer, length, readOnly, hidden, path);
}
