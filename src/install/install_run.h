#ifndef VELLUMINE_INSTALL_INSTALL_RUN_H
#define VELLUMINE_INSTALL_INSTALL_RUN_H

// The state of one run of the install, which RunInstall makes and every step of the install is handed.
#include <windows.h>

#include "install/install_buffers.h"
#include "install/manifest.h"

// How the rows reach the medium, chosen by the room the pre-flight found and by the drive's file system.
enum WriteWay {
  ReplaceEach, // room for one file at a time: each flushed and renamed over its earlier copy, written through
  KeepEach,    // each flushed and put in place, written through, with its earlier file set aside until the end
  KeepBatched, // FAT: all written, the root flushed, all put in place with their earlier files set aside
};

// What a row's name holds now: what it held before the install, or the new file where there was none, or the new
// file with the earlier one set aside (or set aside alone, where putting the new one in place failed).
enum RowHolds { HoldsWhatItHeld, HoldsNew, HoldsNewOverEarlier };

// InstallRun::failedRow where no row failed, and where a step after the rows failed (the root flush, the read-back).
enum { NoFailedRow = -1, FailedAfterRows = ManifestRowCount };

// How an install ended (RunInstall): InstallUnverified, the drive gave back other bytes than were written;
// InstallHeld, failed because another program held the file that InstallRun::named names, with the drive as the
// install found it.
enum InstallResult { InstallFailed = 0, InstallSucceeded = 1, InstallUnverified = 2, InstallHeld = 3 };

struct InstallRun {
  HANDLE root; // the drive's root folder, opened for flushing, or INVALID_HANDLE_VALUE
  WriteWay way;
  int madeFolder; // this install made InstallDir
  RowHolds holds[ManifestRowCount];
  unsigned char *payload;       // PayloadBufferSize bytes: each entry inflated, then the space for reading back
  unsigned char *settings;      // SettingsCopySize bytes: the settings file as written, for reading it back
  unsigned long settingsLength; // its length
  int failedRow;                // the 0-based row whose step failed the install, FailedAfterRows, or NoFailedRow
  char named[MAX_PATH];         // the file whose hold failed the install, or ""
  HWND bar;                     // the progress bar, which moveBar moves
  void (*moveBar)(HWND bar, int position);
};

#endif
