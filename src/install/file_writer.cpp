#include "install/file_writer.h"

#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/hold_retry.h"
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

// Removes the file at path whatever its attributes; nothing where there is none. Where it stays (held, or on a
// medium that refuses), its attributes are given back. 1 when the file is gone.
int RemoveFile(const char *path) {
  DWORD old = GetFileAttributesA(path);
  if (old == INVALID_FILE_ATTRIBUTES)
    return 1;
  int cleared = (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  if (cleared)
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  for (DWORD started = GetTickCount(); !DeleteFileA(path);)
    if (!TryAgain(path, started)) {
      if (cleared)
        SetAttributes(path, old & SettableAttributes);
      return 0;
    }
  return 1;
}

// Renames from onto to (flags as MoveFileExA's), tried again while another program holds it up; a hold that
// outlasts the retries is told by the installed name, name.
BOOL Move(const char *from, const char *to, DWORD flags, const char *name) {
  for (DWORD started = GetTickCount(); !FileMove(from, to, flags);)
    if (!TryAgain(name, started))
      return FALSE;
  return TRUE;
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

// The install's own name for the temporary file beside path, and for the earlier file set aside.
int BesideName(const char *path, char *temporary) {
  return BoundedFormat(temporary, MAX_PATH, "%s%s", path, TemporarySuffix) < MAX_PATH;
}
int AsideName(const char *path, char *aside) {
  return BoundedFormat(aside, MAX_PATH, "%s%s", path, EarlierSuffix) < MAX_PATH;
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
  if (Move(temporary, path, MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0), path))
    return 1;
  if (cleared)
    SetAttributes(path, old & SettableAttributes);
  RemoveFile(temporary);
  return 0;
}

} // namespace

SetFileInformationFn SetFileInformation = KernelFunction<SetFileInformationFn>("SetFileInformationByHandle");
MoveFileFn FileMove = MoveFileExA;
char HeldFile[MAX_PATH];

int TryAgain(const char *name, DWORD started, int deniedToo) {
  DWORD error = GetLastError();
  if (error != ERROR_SHARING_VIOLATION && !(deniedToo && error == ERROR_ACCESS_DENIED))
    return 0;
  if (GetTickCount() - started >= HoldMilliseconds) {
    lstrcpynA(HeldFile, name, MAX_PATH);
    SetLastError(error);
    return 0;
  }
  Sleep(HoldPauseMilliseconds);
  return 1;
}

int WriteBeside(const char *path, const void *data, unsigned long length, unsigned long attributes, int flush) {
  char temporary[MAX_PATH];
  DWORD earlier;
  return BesideName(path, temporary) && WriteTemporary(path, temporary, data, length, attributes, flush, &earlier);
}

int PutInPlace(const char *path, int writeThrough, int *earlier) {
  char temporary[MAX_PATH], aside[MAX_PATH];
  if (!BesideName(path, temporary))
    return 0;
  if (!earlier)
    return Rename(path, temporary, writeThrough, GetFileAttributesA(path));
  DWORD through = writeThrough ? MOVEFILE_WRITE_THROUGH : 0;
  // A program may run the earlier file: Windows renames it, but would neither replace nor remove it.
  *earlier = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  if (*earlier && (!AsideName(path, aside) || !Move(path, aside, through, path))) {
    *earlier = 0;
    RemoveFile(temporary);
    return 0;
  }
  if (Move(temporary, path, through, path))
    return 1;
  RemoveFile(temporary);
  if (*earlier && Move(aside, path, through, path))
    *earlier = 0;
  return 0;
}

int PutBack(const char *path, int earlier) {
  if (!earlier)
    return RemoveFile(path);
  char aside[MAX_PATH];
  DWORD now = GetFileAttributesA(path);
  // Windows replaces no read-only file: the new one loses the bit, and gets it back if it stays.
  int cleared = now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_READONLY);
  if (cleared)
    SetAttributes(path, now & SettableAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (AsideName(path, aside) && Move(aside, path, MOVEFILE_REPLACE_EXISTING, path))
    return 1;
  if (cleared)
    SetAttributes(path, now & SettableAttributes);
  return 0;
}

void RemoveEarlier(const char *path) {
  char aside[MAX_PATH];
  if (AsideName(path, aside))
    RemoveFile(aside);
}

int SettleEarlier(const char *path) {
  char aside[MAX_PATH];
  if (!AsideName(path, aside) || GetFileAttributesA(aside) == INVALID_FILE_ATTRIBUTES)
    return 1;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    return Move(aside, path, 0, path);
  return RemoveFile(aside);
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
