#ifndef VELLUMINE_INSTALL_INSTALL_RUN_H
#define VELLUMINE_INSTALL_INSTALL_RUN_H

// The state of one run of the install, which RunInstall makes and every step of the install is handed.
#include <windows.h>

#include "install/file_writer.h"
#include "install/install_buffers.h"
#include "install/manifest.h"

// How the rows reach the medium, chosen by the room the pre-flight found and by the drive's file system.
enum WriteWay {
  ReplaceEach, // room for one file at a time: each flushed and put in place, its earlier file removed at once
  KeepEach,    // each flushed and put in place, its earlier file set aside until the end
  KeepBatched, // FAT: all written, the root flushed, all put in place with their earlier files set aside
};

// What a row's name holds now: what it held before the install; the new file where there was none; the new file
// with the earlier one set aside (or set aside alone, where putting the new one in place failed); or the new file
// for good, its earlier one removed.
enum RowHolds { HoldsWhatItHeld, HoldsNew, HoldsNewOverEarlier, HoldsNewForGood };

// InstallRun::failedRow where no step failed, where one before the rows failed (the pre-flight, settling what an
// interrupted install left), and where one after them failed (the root flush, the read-back).
enum { NoFailedRow = -1, FailedBeforeRows = -2, FailedAfterRows = ManifestRowCount };

// How an install ended (RunInstall). InstallUnverified: the drive gave back other bytes than were written. With
// the drive as the install found it: InstallHeld, another program held the file that InstallRun::named names;
// InstallInTheWay, a folder stands where that file goes. InstallLeftOver: failed, and what named names could not be
// removed from the folder this install made.
enum InstallResult {
  InstallFailed = 0,
  InstallSucceeded = 1,
  InstallUnverified = 2,
  InstallHeld = 3,
  InstallInTheWay = 4,
  InstallLeftOver = 5
};

struct InstallRun {
  HANDLE root; // the drive's root folder, opened for flushing, or INVALID_HANDLE_VALUE
  WriteWay way;
  int madeFolder;                    // this install made InstallDir
  FileNames names[ManifestRowCount]; // each carried row's names, given by the pre-flight
  RowHolds holds[ManifestRowCount];  // what each row's name holds now
  DWORD earlier[ManifestRowCount];   // the attribute word of each row's earlier file, where one is set aside
  unsigned char *payload;            // PayloadBufferSize bytes: each entry inflated, then the space for reading back
  unsigned char *settings;           // SettingsCopySize bytes: the settings file as written, for reading it back
  unsigned long settingsLength;      // its length
  int failedRow;                     // the 0-based row whose step failed the install, or as above
  InstallResult failure;             // what the failure is where it names a file: InstallHeld or InstallInTheWay
  char named[MAX_PATH];              // the file that failure names, or ""
  HWND bar;                          // the progress bar, which moveBar moves
  void (*moveBar)(HWND bar, int position);
};

#endif
