#ifndef VELLUMINE_INSTALL_FILE_WRITER_H
#define VELLUMINE_INSTALL_FILE_WRITER_H

// Installed files: each is written whole under a temporary name beside its destination and only then takes its name,
// so that a failure never leaves a partial file nor destroys the copy an earlier install left. The earlier file is
// first renamed aside, never replaced: Windows' FAT driver refuses a replacing rename onto a file that any program
// has open, while it lets the open file itself be renamed. Only the read-only and hidden attributes are changed. A
// rename or removal that another program holds up is tried again (hold_retry.h); only files are ever renamed or
// removed, never a folder.
#include <windows.h>

enum { FileAttributeBits = 0x1 | 0x2 }; // read-only, hidden

// The names of an installed file and of the install's own files beside it: the temporary file the new one is
// written as, and the earlier file set aside, kept with its bytes and attributes until the install has ended so
// that a failed install can put it back. Each is the file's name and its suffix, or where that names a folder (the
// user's, left alone), the same with "2" after it.
#define TemporarySuffix ".vel~"
#define SetAsideSuffix ".vel-old"
struct FileNames {
  char path[MAX_PATH], temporary[MAX_PATH], aside[MAX_PATH];
};

// Names the files beside path, looking at what the drive holds under each name (under the set-aside names only with
// asideToo: SetAsideNamesIn found some), and adds to *found the bytes of the files found there (path's own, and
// what an interrupted install left). Returns null, or the name that stands in the way: path itself where it is a
// folder, or the second choice of a name where that is a folder too.
const char *NameFiles(const char *path, FileNames *names, unsigned long long *found, int asideToo);

// SetFileInformationByHandle, looked up at start: null on Windows before Vista, or where a test hides it.
typedef BOOL(WINAPI *SetFileInformationFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
extern SetFileInformationFn SetFileInformation;

// How renames are made: MoveFileExA, or what a test puts in its place (a hold that comes and goes).
typedef BOOL(WINAPI *MoveFileFn)(LPCSTR, LPCSTR, DWORD);
extern MoveFileFn FileMove;

// How a step ended: done, failed, or failed because another program held a file without sharing its deletion,
// past the retries.
enum StepOutcome { StepFailed = 0, StepDone = 1, StepHeld = 2 };

// Writes the new file complete under its temporary name, with its final attribute word: the read-only and hidden
// bits of attributes, and the earlier file's other bits (a new file has none of its own); flushed with its entry
// when asked. A temporary file that an interrupted install left is replaced. 1, or 0 with the temporary file gone.
int WriteBeside(const FileNames &names, const void *data, unsigned long length, unsigned long attributes, int flush);

// Puts the temporary file in place, the renames written through when asked: the earlier file, where there is one,
// renamed aside first, and *earlier its attribute word (INVALID_FILE_ATTRIBUTES where there was none). On failure
// the temporary file is gone, and the earlier file has its name back or, where that failed too, stays aside with
// *earlier still telling of it.
StepOutcome PutInPlace(const FileNames &names, int writeThrough, DWORD *earlier);

// Undoes PutInPlace: the earlier file, where there was one (earlier, as PutInPlace gave it), renamed back, the new
// one renamed away first and then removed, and the earlier one given its read-only and hidden bits again where the
// renames lost them; where there was none, the new file removed. StepDone when the name holds what it held before
// (a temporary file that cannot be removed stays, for a later install).
StepOutcome PutBack(const FileNames &names, DWORD earlier);

// Removes the earlier file set aside (or the temporary file), once it is no longer needed. One that cannot be
// removed (a program runs it) stays, for a later install to remove: 0.
int RemoveSetAside(const FileNames &names);
int RemoveTemporary(const FileNames &names);

// What an interrupted install left aside: an earlier file set aside is renamed back where the name is missing (it
// is the only copy: StepFailed or StepHeld when it cannot be) and removed otherwise (where it stays, it stays).
StepOutcome SettleEarlier(const FileNames &names);

// Whether anything in folder ("X:\Vellumine", or a drive root "X:") has a set-aside name (an earlier file an
// interrupted install left aside, or a folder of the user's): one look at the folder, where a look beside each row
// would cost a lookup a row.
int SetAsideNamesIn(const char *folder);

#endif
