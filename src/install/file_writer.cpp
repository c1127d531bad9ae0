#include "install/file_writer.h"

#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/kernel_function.h"
#include "store/payload_store.h"
#include "ui/keep_answering.h"

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

// Gives the open file, which has all its other bits from creation, the read-only bit too before its last flush,
// so that the flush takes the directory entry to the medium with the data (Wine, which keeps the other bits where
// an unprivileged user cannot write them once read-only is set, keeps them from creation). SetFileInformationByHandle
// came with Vista; 0 where it is missing, and the caller then sets the bits by name after closing.
int SetAttributesThrough(HANDLE file, DWORD attributes) {
  typedef BOOL(WINAPI * SetInfoFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  SetInfoFn setInfo = KernelFunction<SetInfoFn>("SetFileInformationByHandle");
  FILE_BASIC_INFO info = {}; // zero times: left as they are
  info.FileAttributes = attributes;
  return setInfo && setInfo(file, FileBasicInfo, &info, sizeof info);
}

// Writes length bytes in pieces, answering the system between them: a slow stick takes seconds over a large file.
BOOL WriteInPieces(HANDLE file, const unsigned char *data, unsigned long length, unsigned long *written) {
  const unsigned long Piece = 512 * 1024;
  while (*written < length) {
    DWORD part = static_cast<DWORD>(length - *written < Piece ? length - *written : Piece), got = 0;
    if (!WriteFile(file, data + *written, part, &got, nullptr) || got != part)
      return FALSE;
    *written += got;
    KeepAnswering();
  }
  return TRUE;
}

// Creates path (how: CREATE_NEW or CREATE_ALWAYS) and writes the data whole; the file ends with the given
// attribute word (all but read-only from creation, read-only once the data is written), flushed with its data so
// that nothing of it changes on the medium afterwards. On any failure the file is removed again; *exists tells
// whether CREATE_NEW failed because the file is there.
int WriteWholeFile(const char *path, const void *data, unsigned long length, DWORD attributes, DWORD how, int *exists) {
  DWORD created = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, how, created ? created : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *exists = GetLastError() == ERROR_FILE_EXISTS;
    return 0;
  }
  unsigned long written = 0;
  BOOL wrote = WriteInPieces(file, static_cast<const unsigned char *>(data), length, &written);
  int marked = wrote && (!(attributes & FILE_ATTRIBUTE_READONLY) || SetAttributesThrough(file, attributes));
  // On the medium before it counts as written, not in a cache that a pulled stick loses.
  BOOL flushed = wrote && FlushFileBuffers(file);
  BOOL closed = CloseHandle(file);
  if (wrote && flushed && closed && written == length) {
    if (!marked)
      SetAttributes(path, attributes);
    return 1;
  }
  RemoveFile(path);
  return 0;
}

// A name for the temporary file beside path: a name of our own is the quickest; GetTempFileNameA serves when the
// path leaves no room for it.
int TemporaryName(const char *path, char *temporary) {
  if (BoundedFormat(temporary, MAX_PATH, "%s%s", path, TemporarySuffix) < MAX_PATH)
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

} // namespace

int ReplaceFileContents(const char *path, const void *data, unsigned long length, unsigned long attributes) {
  DWORD bits = static_cast<DWORD>(attributes) & FileAttributeBits;
  char temporary[MAX_PATH];
  if (!TemporaryName(path, temporary))
    return 0;
  RemoveFile(temporary); // one an interrupted install left, whether or not its destination is there
  int exists = 0;
  // Nothing to keep: the file is written in place, and removed again if that fails.
  DWORD old = GetFileAttributesA(path);
  if (old == INVALID_FILE_ATTRIBUTES) {
    if (WriteWholeFile(path, data, length, bits, CREATE_NEW, &exists))
      return 1;
    if (!exists)
      return 0;
    old = GetFileAttributesA(path); // it appeared meanwhile: replace it as below
  }
  // An earlier file stays untouched until the new one is complete beside it, with its final attribute word: the
  // earlier file's other bits (system, archive, not content-indexed...) and this install's read-only and hidden.
  // Then a rename replaces it, written through, and nothing of the file changes after that.
  DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & SettableAttributes & ~static_cast<DWORD>(FileAttributeBits);
  if (!WriteWholeFile(temporary, data, length, kept | bits, CREATE_ALWAYS, &exists))
    return 0;
  // Windows refuses to replace a read-only file, and Wine one whose write bits are gone.
  int cleared = old != INVALID_FILE_ATTRIBUTES && (old & FileAttributeBits);
  if (cleared)
    SetFileAttributesA(path, old & ~static_cast<DWORD>(FileAttributeBits));
  if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    if (cleared)
      SetAttributes(path, old & SettableAttributes);
    RemoveFile(temporary);
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
