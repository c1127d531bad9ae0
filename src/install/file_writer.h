#ifndef VELLUMINE_INSTALL_FILE_WRITER_H
#define VELLUMINE_INSTALL_FILE_WRITER_H

// Installed files: written whole through a temporary file beside the destination, so that a failure never leaves a
// partial file nor destroys the copy an earlier install left. Only the read-only and hidden attributes are changed.

#include <windows.h>

enum { FileAttributeBits = 0x1 | 0x2 }; // read-only, hidden

// What the temporary file's name adds to the destination's.
#define TemporarySuffix ".vel~"

// SetFileInformationByHandle, looked up at start: null on Windows before Vista, or where a test hides it.
typedef BOOL(WINAPI *SetFileInformationFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
extern SetFileInformationFn SetFileInformation;

// Replaces the file at path (or creates it) with exactly length bytes of data: written complete under a temporary
// name beside it with its final attributes, flushed to the medium with its entry, then renamed onto path, written
// through. It ends with the read-only and hidden bits of attributes; a replaced file keeps the earlier file's other
// bits, a new one has none of its own. Returns 1, or 0 with the earlier file unchanged (bytes and attributes) and
// nothing partial or temporary left. A temporary file that an interrupted install left beside path is removed. The
// folder must exist; none is made.
int ReplaceFileContents(const char *path, const void *data, unsigned long length, unsigned long attributes);

// What the name of an earlier file set aside adds to its own: kept, with its bytes and attributes, until the install
// has ended, so that a failed install can put it back.
#define EarlierSuffix ".vel-old"

// How renames are made: MoveFileExA, or what a test puts in its place (a hold that comes and goes).
typedef BOOL(WINAPI *MoveFileFn)(LPCSTR, LPCSTR, DWORD);
extern MoveFileFn FileMove;

// The two halves of ReplaceFileContents, for writing files before they are put in place: WriteBeside writes the new
// file complete under the temporary name path + TemporarySuffix, with its final attributes, flushed (with its
// entry) when asked. PutInPlace renames it onto path, written through when asked. With earlier null the earlier file
// is replaced; otherwise it is first renamed aside to path + EarlierSuffix and kept, and *earlier says whether there
// was one to keep. Each returns 1, or 0 with the temporary file removed; PutInPlace then leaves the earlier file
// under its name, or, where it could not be renamed back, aside with *earlier still 1. RemoveBeside removes the
// temporary file, if there is one. A rename or removal that another program holds up is tried again (hold_retry.h).
int WriteBeside(const char *path, const void *data, unsigned long length, unsigned long attributes, int flush = 0);
int PutInPlace(const char *path, int writeThrough = 0, int *earlier = nullptr);
void RemoveBeside(const char *path);

// Undoes PutInPlace with earlier given: the earlier file renamed back over the new one (whose read-only bit is
// cleared first), or, where there was none, the new file removed. 1 when path holds what it held before.
int PutBack(const char *path, int earlier);

// Removes the earlier file set aside beside path; one that cannot be removed (a program runs it) stays.
void RemoveEarlier(const char *path);

// What an interrupted install left beside path: an earlier file set aside is renamed back where path is missing
// (it is the only copy) and removed otherwise. 0 when that fails.
int SettleEarlier(const char *path);

// Writes data to path, or, when path is null, to InstallDir\name; then sets read-only and hidden as asked.
int WritePayloadFile(const char *name, const unsigned char *data, unsigned long length, int readOnly, int hidden,
                     const char *path);

// Inflates entry id into buffer and writes it as WritePayloadFile does. 0 when either step fails.
int ExtractPayload(unsigned short id, const char *name, unsigned char *buffer, unsigned long capacity, int readOnly,
                   int hidden, const char *path);

#endif
