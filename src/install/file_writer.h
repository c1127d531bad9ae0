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

// The two halves of ReplaceFileContents, for writing many files before the medium is flushed and before renaming
// any: WriteBeside writes the new file complete under the temporary name path + TemporarySuffix, with its final
// attributes, not flushed; PutInPlace renames it onto path, not written through. Each returns 1, or 0 with the
// earlier file as it was and the temporary file removed. RemoveBeside removes the temporary file, if there is one.
int WriteBeside(const char *path, const void *data, unsigned long length, unsigned long attributes);
int PutInPlace(const char *path);
void RemoveBeside(const char *path);

// Writes data to path, or, when path is null, to InstallDir\name; then sets read-only and hidden as asked.
int WritePayloadFile(const char *name, const unsigned char *data, unsigned long length, int readOnly, int hidden,
                     const char *path);

// Inflates entry id into buffer and writes it as WritePayloadFile does. 0 when either step fails.
int ExtractPayload(unsigned short id, const char *name, unsigned char *buffer, unsigned long capacity, int readOnly,
                   int hidden, const char *path);

#endif
