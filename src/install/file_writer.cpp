#include "install/file_writer.h"

#include "base/bounded_format.h"
#include "install/hold_retry.h"
#include "install/kernel_function.h"
#include "install/removal.h"

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

StepOutcome Failed() { return GetLastError() == ERROR_SHARING_VIOLATION ? StepHeld : StepFailed; }

// Renames from onto the name to, which is free (flags as MoveFileExA's), tried again while another program holds it
// up.
StepOutcome Move(const char *from, const char *to, DWORD flags) {
  for (DWORD started = GetTickCount(); !FileMove(from, to, flags);)
    if (!TryAgain(started))
      return Failed();
  return StepDone;
}

// The attribute word of the file at path and its size; INVALID_FILE_ATTRIBUTES where nothing has the name.
DWORD Look(const char *path, unsigned long long *size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
    return INVALID_FILE_ATTRIBUTES;
  *size = static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return data.dwFileAttributes;
}

int IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// The name path + suffix, or path + suffix + "2" where that is a folder, into name; adds the size of a file found
// under it to *found. 0 when it does not fit, or when the second choice is a folder too.
int OwnName(const char *path, const char *suffix, char *name, unsigned long long *found) {
  static const char *const Seconds[] = {"", "2"};
  for (const char *second : Seconds) {
    unsigned long long size = 0;
    if (BoundedFormat(name, MAX_PATH, "%s%s%s", path, suffix, second) >= MAX_PATH)
      return 0;
    DWORD attributes = Look(name, &size);
    if (!IsFolder(attributes)) {
      *found += attributes == INVALID_FILE_ATTRIBUTES ? 0 : size;
      return 1;
    }
  }
  return 0;
}

// Gives the open file its final attribute word, through the handle where the system has SetFileInformationByHandle
// (Vista and later); elsewhere by name, which a file open without sharing allows, since changing attributes is not a
// kind of access that sharing controls.
void SetThrough(HANDLE file, const char *path, DWORD attributes) {
  FILE_BASIC_INFO info = {}; // zero times: left as they are
  info.FileAttributes = attributes;
  if (!SetFileInformation || !SetFileInformation(file, FileBasicInfo, &info, sizeof info))
    SetAttributes(path, attributes);
}

// Sees that the open file, which has its other bits from creation, has its read-only and hidden bits too before its
// flush, so that the flush takes the directory entry to the medium with the data and nothing of the entry changes
// afterwards. Read-only comes now (creation cannot give it to a file still to be written); a bit that creation did not
// give (Wine gives none to a file it creates over an earlier one) or that the medium failed to keep is given again,
// read-only last, since Wine keeps the other bits where only a writer may change them. 0 where the file still lacks
// one.
int Mark(HANDLE file, const char *path, DWORD attributes) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt && (attributes & ReadOnly) && (attributes & ~ReadOnly))
      SetThrough(file, path, attributes & ~ReadOnly);
    if (attempt || (attributes & ReadOnly))
      SetThrough(file, path, attributes);
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info) && !((info.dwFileAttributes ^ attributes) & FileAttributeBits))
      return 1;
  }
  return 0;
}

} // namespace

SetFileInformationFn SetFileInformation = KernelFunction<SetFileInformationFn>("SetFileInformationByHandle");
MoveFileFn FileMove = MoveFileExA;

const char *NameFiles(const char *path, FileNames *names, unsigned long long *found, int asideToo) {
  unsigned long long size = 0;
  DWORD attributes = Look(path, &size);
  if (IsFolder(attributes) || BoundedFormat(names->path, MAX_PATH, "%s", path) >= MAX_PATH)
    return path;
  *found += attributes == INVALID_FILE_ATTRIBUTES ? 0 : size;
  if (!OwnName(path, TemporarySuffix, names->temporary, found))
    return names->temporary;
  if (!asideToo)
    return BoundedFormat(names->aside, MAX_PATH, "%s%s", path, SetAsideSuffix) < MAX_PATH ? nullptr : path;
  return OwnName(path, SetAsideSuffix, names->aside, found) ? nullptr : names->aside;
}

int WriteBeside(const FileNames &names, const void *data, unsigned long length, unsigned long attributes, int flush) {
  DWORD old = GetFileAttributesA(names.path);
  DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & SettableAttributes & ~static_cast<DWORD>(FileAttributeBits);
  DWORD final = kept | (attributes & FileAttributeBits), created = final & ~ReadOnly;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 2 && file == INVALID_HANDLE_VALUE; ++attempt) {
    // One that an interrupted install left is replaced; read-only or hidden, it is removed first.
    if (attempt)
      RemoveFile(names.temporary);
    file = CreateFileA(names.temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       created ? created : FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  DWORD written = 0;
  BOOL wrote =
      WriteFile(file, data, length, &written, nullptr) && written == length && Mark(file, names.temporary, final);
  // Flushed, the data and the entry are on the medium before the file takes its name.
  BOOL done = wrote && (!flush || FlushFileBuffers(file));
  if (!CloseHandle(file) || !done) {
    RemoveFile(names.temporary);
    return 0;
  }
  return 1;
}

StepOutcome PutInPlace(const FileNames &names, int writeThrough, DWORD *earlier) {
  DWORD through = writeThrough ? MOVEFILE_WRITE_THROUGH : 0, found = GetFileAttributesA(names.path);
  *earlier = INVALID_FILE_ATTRIBUTES;
  StepOutcome outcome = IsFolder(found) ? StepFailed : StepDone;
  // A program may run the earlier file: Windows renames it, but would neither replace nor remove it.
  if (outcome == StepDone && found != INVALID_FILE_ATTRIBUTES &&
      (outcome = Move(names.path, names.aside, through)) == StepDone)
    *earlier = found;
  if (outcome == StepDone && (outcome = Move(names.temporary, names.path, through)) == StepDone)
    return outcome;
  RemoveFile(names.temporary);
  if (*earlier != INVALID_FILE_ATTRIBUTES && Move(names.aside, names.path, through) == StepDone)
    *earlier = INVALID_FILE_ATTRIBUTES;
  return outcome;
}

StepOutcome PutBack(const FileNames &names, DWORD earlier) {
  if (earlier == INVALID_FILE_ATTRIBUTES)
    return RemoveFile(names.path) ? StepDone : Failed();
  // The new file is renamed away rather than removed first: a program may have it open (a scanner's look at a fresh
  // file), and its removal would then keep the name until that program closes it; the open file itself can be
  // renamed. It is removed once the earlier file has its name back, and stays as a leftover where it cannot be.
  StepOutcome outcome = Move(names.path, names.temporary, 0);
  if (outcome == StepDone && (outcome = Move(names.aside, names.path, 0)) != StepDone) {
    Move(names.temporary, names.path, 0); // the new file keeps the name; the earlier one stays aside
    return outcome;
  }
  if (outcome != StepDone)
    return outcome;
  RemoveFile(names.temporary);
  if ((GetFileAttributesA(names.path) & FileAttributeBits) != (earlier & FileAttributeBits))
    SetAttributes(names.path, earlier & SettableAttributes);
  return outcome;
}

int RemoveSetAside(const FileNames &names) { return RemoveFile(names.aside); }
int RemoveTemporary(const FileNames &names) { return RemoveFile(names.temporary); }

StepOutcome SettleEarlier(const FileNames &names) {
  DWORD aside = GetFileAttributesA(names.aside);
  if (aside == INVALID_FILE_ATTRIBUTES || IsFolder(aside))
    return StepDone;
  if (Absent(names.path))
    return Move(names.aside, names.path, 0);
  RemoveFile(names.aside);
  return StepDone;
}

int SetAsideNamesIn(const char *folder) {
  char pattern[MAX_PATH];
  BoundedFormat(pattern, sizeof pattern, "%s\\*%s*", folder, SetAsideSuffix);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE)
    return 0;
  FindClose(search);
  return 1;
}
