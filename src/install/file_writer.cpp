#include "install/file_writer.h"

#include "base/bounded_format.h"
#include "install/hold_retry.h"
#include "install/kernel_function.h"

namespace {

// The bits SetFileAttributesA can change; FILE_ATTRIBUTE_NORMAL stands only alone.
const DWORD SettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                 FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
const DWORD ReadOnly = FILE_ATTRIBUTE_READONLY;

// Sets a file's attribute word, read-only last. Wine keeps read-only as the Unix write bits and the other bits in
// an extended attribute, which an unprivileged Unix user can no longer write once the write bits are gone.
void SetAttributes(const char *path, DWORD attributes) {
  if ((attributes & ReadOnly) && (attributes & ~ReadOnly))
    SetFileAttributesA(path, attributes & ~ReadOnly);
  SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

StepOutcome Failed() { return HeldBy(GetLastError()) ? StepHeld : StepFailed; }

// Removes the file at path whatever its attributes; nothing where there is none. Where it stays (held, or on a
// medium that refuses), its attributes are given back.
StepOutcome RemoveFile(const char *path) {
  DWORD old = GetFileAttributesA(path);
  if (old == INVALID_FILE_ATTRIBUTES)
    return StepDone;
  int cleared = (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  if (cleared)
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  for (DWORD started = GetTickCount(); !DeleteFileA(path);)
    if (!TryAgain(started)) {
      StepOutcome outcome = Failed();
      if (cleared)
        SetAttributes(path, old & SettableAttributes);
      return outcome;
    }
  return StepDone;
}

// Renames from onto to (flags as MoveFileExA's), tried again while another program holds it up.
StepOutcome Move(const char *from, const char *to, DWORD flags) {
  for (DWORD started = GetTickCount(); !FileMove(from, to, flags);)
    if (!TryAgain(started))
      return Failed();
  return StepDone;
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

// Renames the temporary file onto path, replacing the earlier file, whose attribute word is old. Windows refuses to
// replace a read-only file (and Wine one whose write bits are gone), so the earlier file's read-only and hidden
// bits are cleared first, and given back if the rename fails.
StepOutcome Replace(const char *path, const char *temporary, DWORD through) {
  DWORD old = GetFileAttributesA(path);
  int cleared = old != INVALID_FILE_ATTRIBUTES && (old & FileAttributeBits);
  if (cleared)
    SetFileAttributesA(path, old & ~static_cast<DWORD>(FileAttributeBits));
  StepOutcome outcome = Move(temporary, path, MOVEFILE_REPLACE_EXISTING | through);
  if (outcome == StepDone)
    return outcome;
  if (cleared)
    SetAttributes(path, old & SettableAttributes);
  RemoveFile(temporary);
  return outcome;
}

} // namespace

SetFileInformationFn SetFileInformation = KernelFunction<SetFileInformationFn>("SetFileInformationByHandle");
MoveFileFn FileMove = MoveFileExA;

int TemporaryPath(const char *path, char *temporary) {
  return BoundedFormat(temporary, MAX_PATH, "%s%s", path, TemporarySuffix) < MAX_PATH;
}
int SetAsidePath(const char *path, char *aside) {
  return BoundedFormat(aside, MAX_PATH, "%s%s", path, SetAsideSuffix) < MAX_PATH;
}

int WriteBeside(const char *path, const void *data, unsigned long length, unsigned long attributes, int flush) {
  char temporary[MAX_PATH];
  if (!TemporaryPath(path, temporary))
    return 0;
  DWORD old = GetFileAttributesA(path);
  DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & SettableAttributes & ~static_cast<DWORD>(FileAttributeBits);
  DWORD final = kept | (attributes & FileAttributeBits), created = final & ~ReadOnly;
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
  if (wrote && (final & ReadOnly))
    MarkReadOnly(file, temporary, final);
  // Flushed, the data and the entry are on the medium before the file takes its name.
  BOOL done = wrote && (!flush || FlushFileBuffers(file));
  if (!CloseHandle(file) || !done) {
    RemoveFile(temporary);
    return 0;
  }
  return 1;
}

StepOutcome PutInPlace(const char *path, int writeThrough, int keepEarlier, int *earlier) {
  char temporary[MAX_PATH], aside[MAX_PATH];
  DWORD through = writeThrough ? MOVEFILE_WRITE_THROUGH : 0;
  *earlier = 0;
  if (!TemporaryPath(path, temporary) || !SetAsidePath(path, aside))
    return StepFailed;
  if (!keepEarlier)
    return Replace(path, temporary, through);
  // A program may run the earlier file: Windows renames it, but would neither replace nor remove it.
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
    StepOutcome outcome = Move(path, aside, through);
    if (outcome != StepDone) {
      RemoveFile(temporary);
      return outcome;
    }
    *earlier = 1;
  }
  StepOutcome outcome = Move(temporary, path, through);
  if (outcome == StepDone)
    return outcome;
  RemoveFile(temporary);
  if (*earlier && Move(aside, path, through) == StepDone)
    *earlier = 0;
  return outcome;
}

StepOutcome PutBack(const char *path, int earlier) {
  if (!earlier)
    return RemoveFile(path);
  char aside[MAX_PATH];
  DWORD now = GetFileAttributesA(path);
  // Windows replaces no read-only file: the new one loses the bit, and gets it back if it stays.
  int cleared = now != INVALID_FILE_ATTRIBUTES && (now & ReadOnly);
  if (cleared)
    SetAttributes(path, now & SettableAttributes & ~ReadOnly);
  StepOutcome outcome = SetAsidePath(path, aside) ? Move(aside, path, MOVEFILE_REPLACE_EXISTING) : StepFailed;
  if (outcome != StepDone && cleared)
    SetAttributes(path, now & SettableAttributes);
  return outcome;
}

void RemoveSetAside(const char *path) {
  char aside[MAX_PATH];
  if (SetAsidePath(path, aside))
    RemoveFile(aside);
}

void RemoveTemporary(const char *path) {
  char temporary[MAX_PATH];
  if (TemporaryPath(path, temporary))
    RemoveFile(temporary);
}

StepOutcome SettleEarlier(const char *path) {
  char aside[MAX_PATH];
  if (!SetAsidePath(path, aside) || GetFileAttributesA(aside) == INVALID_FILE_ATTRIBUTES)
    return StepDone;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    return Move(aside, path, 0);
  return RemoveFile(aside);
}

int SetAsideFilesIn(const char *folder) {
  char pattern[MAX_PATH];
  BoundedFormat(pattern, sizeof pattern, "%s\\*%s", folder, SetAsideSuffix);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE)
    return 0;
  FindClose(search);
  return 1;
}
