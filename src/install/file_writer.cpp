// Writing one installed file beside its earlier copy, putting it in place, putting it back, and settling what an
// interrupted install left beside it. Runs on the install's worker thread.
#include "install/file_writer.h"

#include "base/bounded_format.h"
#include "base/kernel_function.h"
#include "install/hold_retry.h"
#include "install/removal.h"

namespace {

// The bits SetFileAttributesA can change; FILE_ATTRIBUTE_NORMAL stands only alone.
const DWORD SettableBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
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

// Renames from onto the name to, which is free (flags as MoveFileExA's), tried again while another program holds it
// up. A program's hold is on the file renamed.
FileStep Move(const char *from, const char *to, DWORD flags) {
  for (DWORD started = GetTickCount(); !FileMove(from, to, flags);) {
    DWORD error = GetLastError();
    if (!TryAgain(started, error))
      return {error, from};
  }
  return {ERROR_SUCCESS, from};
}

// The attribute word of the file at path and its size; INVALID_FILE_ATTRIBUTES where nothing has the name, or
// where the look is not to be made (look 0: the folder holds no names).
DWORD Look(const char *path, unsigned long long *size, int look) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!look || !GetFileAttributesExA(path, GetFileExInfoStandard, &data))
    return INVALID_FILE_ATTRIBUTES;
  *size = static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return data.dwFileAttributes;
}

int IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// The choice-th name of path + suffix ("", then "2" to "9" after it) into name; 0 when it does not fit.
int ChoiceName(const char *path, const char *suffix, int choice, char *name) {
  char number[2] = {static_cast<char>(choice ? '1' + choice : 0), 0};
  return BoundedFormat(name, MAX_PATH, "%s%s%s", path, suffix, number) < MAX_PATH;
}

// The first choice of path + suffix that is no folder (the first, where there is no look), into name; adds the size
// of a file found under it to *found. 0 when none fits or every choice is a folder.
int OwnName(const char *path, const char *suffix, char *name, unsigned long long *found, int look) {
  for (int choice = 0; choice < NameChoices && ChoiceName(path, suffix, choice, name); ++choice) {
    unsigned long long size = 0;
    DWORD attributes = Look(name, &size, look);
    if (!IsFolder(attributes)) {
      *found += attributes == INVALID_FILE_ATTRIBUTES ? 0 : size;
      return 1;
    }
  }
  return 0;
}

// The first choice of path + suffix that nothing has, into name; 0 where there is none.
int FreeName(const char *path, const char *suffix, char *name) {
  for (int choice = 0; choice < NameChoices && ChoiceName(path, suffix, choice, name); ++choice)
    if (Absent(name))
      return 1;
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

// The open file's attribute word, or INVALID_FILE_ATTRIBUTES: through the handle where the system has
// GetFileInformationByHandleEx (Vista and later), elsewhere by name. GetFileInformationByHandle would ask the volume
// for its serial number too: under Wine a round trip of its own, half a millisecond a file.
DWORD HandleAttributes(HANDLE file, const char *path) {
  FILE_BASIC_INFO basic;
  if (!GetFileInformation)
    return GetFileAttributesA(path);
  return GetFileInformation(file, FileBasicInfo, &basic, sizeof basic) ? basic.FileAttributes : INVALID_FILE_ATTRIBUTES;
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
    DWORD now = HandleAttributes(file, path);
    if (now != INVALID_FILE_ATTRIBUTES && !((now ^ attributes) & InstallBits))
      return 1;
  }
  return 0;
}

HANDLE CreateTemporary(const char *path, DWORD attributes) {
  return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes ? attributes : FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// Writes data into the open file, gives it its bits and flushes it when asked: ERROR_SUCCESS or what failed it.
DWORD Fill(HANDLE file, const char *path, const void *data, unsigned long length, DWORD attributes, int flush) {
  DWORD written = 0;
  if (!WriteFile(file, data, length, &written, nullptr))
    return GetLastError();
  if (written != length)
    return ERROR_DISK_FULL;
  if (!Mark(file, path, attributes))
    return ERROR_WRITE_FAULT;
  // Flushed, the data and the entry are on the medium before the file takes its name.
  return !flush || FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

} // namespace

FileInformationFn SetFileInformation = KernelFunction<FileInformationFn>("SetFileInformationByHandle");
FileInformationFn GetFileInformation = KernelFunction<FileInformationFn>("GetFileInformationByHandleEx");
MoveFileFn FileMove = MoveFileExA;

const char *NameFiles(const char *path, FileNames *names, unsigned long long *found, int looks) {
  unsigned long long size = 0;
  DWORD attributes = Look(path, &size, looks != LookAtNothing);
  if (IsFolder(attributes) || BoundedFormat(names->path, MAX_PATH, "%s", path) >= MAX_PATH)
    return path;
  if (!names->spelled[0])
    lstrcpyA(names->spelled, path);
  names->found = attributes;
  *found += attributes == INVALID_FILE_ATTRIBUTES ? 0 : size;
  if (!OwnName(path, TemporarySuffix, names->temporary, found, looks != LookAtNothing))
    return names->temporary;
  return OwnName(path, SetAsideSuffix, names->aside, found, looks == LookAtSetAside) ? nullptr : names->aside;
}

FileStep WriteBeside(FileNames *names, const void *data, unsigned long length, unsigned long attributes, int flush) {
  DWORD old = names->found;
  DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & SettableBits & ~static_cast<DWORD>(InstallBits);
  DWORD final = kept | (attributes & InstallBits), created = final & ~ReadOnly;
  HANDLE file = CreateTemporary(names->temporary, created);
  DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  // One that an interrupted install left is replaced; read-only or hidden, it is removed first, and where it stays
  // (a program holds it, or its deletion is pending) the next free name is taken.
  if (error && !Absent(names->temporary)) {
    if (RemoveFile(names->temporary) && !FreeName(names->path, TemporarySuffix, names->temporary))
      return {ERROR_FILE_EXISTS, names->temporary};
    file = CreateTemporary(names->temporary, created);
    error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  }
  if (error)
    return {error, names->temporary};
  error = Fill(file, names->temporary, data, length, final, flush);
  if (!CloseHandle(file) && !error)
    error = GetLastError();
  if (error)
    RemoveFile(names->temporary);
  return {error, names->temporary};
}

FileStep PutInPlace(FileNames *names, int writeThrough, DWORD *earlier) {
  DWORD through = writeThrough ? MOVEFILE_WRITE_THROUGH : 0, found = names->found;
  *earlier = INVALID_FILE_ATTRIBUTES;
  FileStep step = {ERROR_SUCCESS, names->path};
  // Where the look found nothing, the rename onto the free name says whether it still is; only a name taken since
  // is looked at again.
  if (found == INVALID_FILE_ATTRIBUTES) {
    if (!(step = Move(names->temporary, names->path, through)).error)
      return step;
    found = GetFileAttributesA(names->path);
  }
  if (IsFolder(found)) {
    step = {ERROR_DIRECTORY, names->path};
  } else if (found != INVALID_FILE_ATTRIBUTES) {
    // A program may run the earlier file: Windows renames it, but would neither replace nor remove it. One gone
    // since the look leaves the name free.
    if (!(step = Move(names->path, names->aside, through)).error)
      *earlier = found;
    else if (Absent(names->path))
      step.error = ERROR_SUCCESS;
  }
  if (!step.error && !(step = Move(names->temporary, names->path, through)).error)
    return step;
  RemoveFile(names->temporary);
  if (*earlier != INVALID_FILE_ATTRIBUTES && !Move(names->aside, names->spelled, through).error)
    *earlier = INVALID_FILE_ATTRIBUTES;
  return step;
}

FileStep PutBack(const FileNames &names, DWORD earlier) {
  if (earlier == INVALID_FILE_ATTRIBUTES)
    return {RemoveFile(names.path), names.path};
  // The new file is renamed away rather than removed first: a program may have it open (a scanner's look at a fresh
  // file), and its removal would then keep the name until that program closes it; the open file itself can be
  // renamed. It is removed once the earlier file has its name back. Where the name is empty (the new file's rename
  // and the earlier one's rename back both failed), the earlier file only takes it back.
  int empty = Absent(names.path);
  FileStep step = {ERROR_SUCCESS, names.path};
  if (!empty && (step = Move(names.path, names.temporary, 0)).error)
    return step;
  if ((step = Move(names.aside, names.spelled, 0)).error) {
    if (!empty)
      Move(names.temporary, names.path, 0); // the new file keeps the name; the earlier one stays aside
    return step;
  }
  if (!empty)
    RemoveFile(names.temporary);
  if ((GetFileAttributesA(names.path) & InstallBits) != (earlier & InstallBits))
    SetAttributes(names.path, earlier & SettableBits);
  return step;
}

DWORD RemoveSetAside(const FileNames &names) { return RemoveFile(names.aside); }
DWORD RemoveTemporary(const FileNames &names) { return RemoveFile(names.temporary); }

FileStep SettleEarlier(FileNames *names) {
  char name[MAX_PATH];
  int last = -1; // the last choice that holds a file set aside
  for (int choice = 0; choice < NameChoices && ChoiceName(names->path, SetAsideSuffix, choice, name); ++choice) {
    DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes))
      last = choice;
  }
  if (last < 0)
    return {ERROR_SUCCESS, names->path};
  DWORD found = GetFileAttributesA(names->path);
  // Gone only where the drive still answers: a pulled stick says "not found" of every name.
  if (found == INVALID_FILE_ATTRIBUTES && Absent(names->path) && DriveAnswers(names->path)) {
    ChoiceName(names->path, SetAsideSuffix, last, name);
    FileStep step = Move(name, names->path, 0);
    if (step.error)
      return step;
    names->found = found = GetFileAttributesA(names->path);
  }
  int taken = -1; // the last choice still taken once the files set aside have gone
  for (int choice = 0; choice < NameChoices && ChoiceName(names->path, SetAsideSuffix, choice, name); ++choice) {
    DWORD attributes = GetFileAttributesA(name);
    int removable = found != INVALID_FILE_ATTRIBUTES && !IsFolder(found) && !IsFolder(attributes);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(removable && !RemoveFile(name)))
      taken = choice;
  }
  if (taken + 1 >= NameChoices || !ChoiceName(names->path, SetAsideSuffix, taken + 1, names->aside))
    return {ERROR_FILE_EXISTS, names->path};
  return {ERROR_SUCCESS, names->path};
}
