#ifndef VELLUMINE_INSTALL_FILE_WRITER_H
#define VELLUMINE_INSTALL_FILE_WRITER_H

// Installed files: each is written whole under a temporary name beside its destination and only then takes its name,
// so that a failure never leaves a partial file nor destroys the copy an earlier install left. The earlier file is
// first renamed aside, never replaced: Windows' FAT driver refuses a replacing rename onto a file that any program
// has open, while it lets the open file itself be renamed. Only the read-only and hidden attributes are changed. A
// rename or removal that another program holds up is tried again (hold_retry.h); only files are ever renamed or
// removed, never a folder.
#include <windows.h>

// The bits the install gives each file: read-only and hidden.
enum { InstallBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN };

// The names of an installed file and of the install's own files beside it: the temporary file the new one is
// written as, and the earlier file set aside, kept with its bytes and attributes until the install has ended so
// that a failed install can put it back. Each is the file's name and its suffix, or where that names a folder (the
// user's, left alone) or a leftover that cannot be removed, the same with "2", "3"... up to "9" after it.
#define TemporarySuffix ".vel~"
#define SetAsideSuffix ".vel-old"
enum { NameChoices = 9 };
// spelled is the earlier file's path as the drive spells it (path, unless the pre-flight's look at the folder found
// another spelling, which it gives before NameFiles): putting back gives it its own name again ("CEDICT_TS.U8" stays
// so, not "cedict_ts.u8"). found is the attribute word of the earlier file that the look found at path
// (INVALID_FILE_ATTRIBUTES where there was none): writing and putting in place act on it, and look again only where
// a call fails.
struct FileNames {
  char path[MAX_PATH], temporary[MAX_PATH], aside[MAX_PATH], spelled[MAX_PATH];
  DWORD found;
};

// How a step on a file ended: error is ERROR_SUCCESS where it was done, else the Windows error that failed it, with
// path the name it failed on (a sharing violation: the file another program holds).
struct FileStep {
  DWORD error;
  const char *path;
};

// What NameFiles looks at: the file and its temporary name; the set-aside names too (the folder holds some); or
// nothing, where the folder holds no names at all.
enum { LookAtFile, LookAtSetAside, LookAtNothing };

// Names the files beside path (names zeroed, or its spelled given), looking at what the drive holds under each name
// as looks says, and adds to *found the bytes of the files found there (path's own, and what an interrupted install
// left). Returns null, or the name that stands in the way: path itself where it is a folder, or the last choice of a
// name where every choice is a folder.
const char *NameFiles(const char *path, FileNames *names, unsigned long long *found, int looks);

// SetFileInformationByHandle and GetFileInformationByHandleEx, looked up at start: null on Windows before Vista, or
// where a test hides them.
typedef BOOL(WINAPI *FileInformationFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
extern FileInformationFn SetFileInformation, GetFileInformation;

// How renames are made: MoveFileExA, or what a test puts in its place (a hold that comes and goes).
typedef BOOL(WINAPI *MoveFileFn)(LPCSTR, LPCSTR, DWORD);
extern MoveFileFn FileMove;

// Writes the new file complete under its temporary name, with its final attribute word: the read-only and hidden
// bits of attributes, and the earlier file's other bits (a new file has none of its own); flushed with its entry
// when asked. A temporary file that an interrupted install left is replaced, or where it cannot be removed, the next
// free name is taken (names->temporary). On failure the temporary file is removed.
FileStep WriteBeside(FileNames *names, const void *data, unsigned long length, unsigned long attributes, int flush);

// Puts the temporary file in place, the renames written through when asked: the earlier file, where there is one
// (names->found, or what took the name since, where the rename onto it fails), renamed aside first, and *earlier its
// attribute word (INVALID_FILE_ATTRIBUTES where there was none). On failure the temporary file is removed, and the
// earlier file has its name back or, where that failed too, stays aside with *earlier still telling of it. A folder
// where the file goes fails with ERROR_DIRECTORY.
FileStep PutInPlace(FileNames *names, int writeThrough, DWORD *earlier);

// Undoes PutInPlace: the earlier file, where there was one (earlier, as PutInPlace gave it), renamed back, the new
// one renamed away first and then removed, and the earlier one given its read-only and hidden bits again where the
// renames lost them; where there was none, the new file removed. Done when the name holds what it held before (a
// temporary file that cannot be removed stays, for the caller to name).
FileStep PutBack(const FileNames &names, DWORD earlier);

// Removes the earlier file set aside (or the temporary file), once it is no longer needed: ERROR_SUCCESS, or the
// error that kept it (a program runs it: it stays, for a later install to remove).
DWORD RemoveSetAside(const FileNames &names);
DWORD RemoveTemporary(const FileNames &names);

// What an interrupted install left aside: where the name is missing while the drive answers, the earlier file set
// aside last (the highest choice of the set-aside name) is the only copy and takes the name back (failing the step
// where it cannot); where the name holds a file, every file set aside goes (where one stays, it stays); where the
// name cannot be looked at, they all stay. names->aside then becomes the choice after the last still taken, so that
// the install never renames onto a leftover.
FileStep SettleEarlier(FileNames *names);

#endif
