#ifndef VELLUMINE_INSTALL_FILE_WRITER_H
#define VELLUMINE_INSTALL_FILE_WRITER_H

// Installed files: each is written whole under a temporary name beside its destination and only then takes its name,
// so that a failure never leaves a partial file nor destroys the copy an earlier install left. Only the read-only
// and hidden attributes are changed. A rename or removal that another program holds up is tried again
// (hold_retry.h).
#include <windows.h>

enum { FileAttributeBits = 0x1 | 0x2 }; // read-only, hidden

// What the install's own names add to an installed file's: the temporary file the new one is written as, and the
// earlier file set aside, kept with its bytes and attributes until the install has ended so that a failed install
// can put it back. The names in MAX_PATH bytes; 0 when they do not fit.
#define TemporarySuffix ".vel~"
#define SetAsideSuffix ".vel-old"
int TemporaryPath(const char *path, char *temporary);
int SetAsidePath(const char *path, char *aside);

// SetFileInformationByHandle, looked up at start: null on Windows before Vista, or where a test hides it.
typedef BOOL(WINAPI *SetFileInformationFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
extern SetFileInformationFn SetFileInformation;

// How renames are made: MoveFileExA, or what a test puts in its place (a hold that comes and goes).
typedef BOOL(WINAPI *MoveFileFn)(LPCSTR, LPCSTR, DWORD);
extern MoveFileFn FileMove;

// How a step that renames ended: done, failed, or failed because another program held the file past the retries.
enum StepOutcome { StepFailed = 0, StepDone = 1, StepHeld = 2 };

// Writes the new file complete under its temporary name, with its final attribute word: the read-only and hidden
// bits of attributes, and the earlier file's other bits (a new file has none of its own); flushed with its entry
// when asked. A temporary file that an interrupted install left is replaced. 1, or 0 with the temporary file gone.
int WriteBeside(const char *path, const void *data, unsigned long length, unsigned long attributes, int flush);

// Renames the temporary file onto path, written through when asked. Without keepEarlier the earlier file is
// replaced; with it, it is first renamed aside (SetAsidePath) and kept, and *earlier says whether there was one to
// keep. On failure the temporary file is gone, and the earlier file keeps its name or, where it could not be
// renamed back, stays aside with *earlier still 1.
StepOutcome PutInPlace(const char *path, int writeThrough, int keepEarlier, int *earlier);

// Undoes PutInPlace with keepEarlier: the earlier file renamed back over the new one (whose read-only bit is cleared
// first), or, where there was none, the new file removed. StepDone when path holds what it held before.
StepOutcome PutBack(const char *path, int earlier);

// Removes the earlier file set aside beside path; one that cannot be removed (a program runs it) stays.
void RemoveSetAside(const char *path);

// Removes the temporary file beside path, if there is one.
void RemoveTemporary(const char *path);

// What an interrupted install left beside path: an earlier file set aside is renamed back where path is missing
// (it is the only copy) and removed otherwise. StepDone when nothing is left aside.
StepOutcome SettleEarlier(const char *path);

// Whether a file set aside lies in folder ("X:\Vellumine", or a drive root "X:"): one look at the folder, where a
// look beside each row would cost a lookup a row.
int SetAsideFilesIn(const char *folder);

#endif
