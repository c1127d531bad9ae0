#ifndef VELLUMINE_INSTALL_READ_BACK_H
#define VELLUMINE_INSTALL_READ_BACK_H

// Reading an installed file back from the medium, past the system's cache, to see that the drive kept what was
// written: USB sticks can be counterfeit (they drop what lies past their real size), worn, or still hold the last
// files in a write cache.

#include <windows.h>

#include "install/install_run.h"

// How files are opened for reading back: CreateFileA, or what a test puts in its place (a file system that
// refuses unbuffered opens, which Wine never passes on to Linux).
typedef HANDLE(WINAPI *ReadBackOpenFn)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
extern ReadBackOpenFn ReadBackOpen;

// What reading a file back told: the drive gave back what was written, gave back other bytes (a counterfeit or
// failing stick), or could not be read (the open was refused, a read failed, the file is gone).
enum ReadBackOutcome { ReadBackFailed = 0, ReadBackSame = 1, ReadBackDiffers = 2 };

// Reads the whole file at path with unbuffered, whole-sector reads into work (capacity bytes, any alignment; it
// needs at least two 4 KiB pages), falling back to an ordinary read where the file system refuses unbuffered
// opens. Returns 1 with its length and Adler-32 (zlib's, from 1), or 0 when it cannot be opened or read.
int ReadBackDigest(const char *path, unsigned char *work, unsigned long capacity, unsigned long *length,
                   unsigned long *adler);

// Whether the file at path holds exactly the length bytes of expected, read back as above. work must not overlap
// expected.
ReadBackOutcome ReadBackEquals(const char *path, const unsigned char *expected, unsigned long length,
                               unsigned char *work, unsigned long capacity);

// Reads every file the install wrote back from the medium and compares it with what was written: a payload row's
// length with the store's index and its Adler-32 with its stream's; the settings file byte for byte with the copy
// in run->settings. The payload buffer is the reading space. Returns InstallSucceeded, InstallUnverified where the
// drive gave back other bytes, or InstallFailed where a file could not be read back (refused, gone, a read error):
// a failed install, not a lying drive.
InstallResult ReadBackInstall(const InstallRun *run);

#endif
