#ifndef VELLUMINE_INSTALL_INSTALL_RUN_H
#define VELLUMINE_INSTALL_INSTALL_RUN_H

// The state of one run of the install, which RunInstall makes and every step of the install is handed, and the
// outcome it comes to. The worker thread writes both while it runs; RunInstall's thread reads the outcome once the
// worker has ended, and the window's thread only asks the run to stop (InstallStopAsked, install_sequence.h).
#include <windows.h>

#include "install/file_writer.h"
#include "install/install_buffers.h"
#include "install/manifest.h"

// How an install ended. The results that say the drive is as the install found it (InstallHeld, InstallInTheWay,
// InstallNoRoom, InstallWriteProtected) stand only where it is: putting back decides (SettleResult).
enum InstallResult {
  InstallFailed = 0,         // none of the others fits
  InstallSucceeded = 1,      // every file written, read back as written and flushed; the language recorded
  InstallUnverified = 2,     // the drive gave back other bytes than were written; every earlier file put back
  InstallHeld = 3,           // another program holds the file named
  InstallInTheWay = 4,       // a folder stands where the file named goes
  InstallLeftOver = 5,       // failed, and the file named, of this install's own, could not be removed
  InstallNoRoom = 6,         // the drive has too little room: InstallOutcome::needed and ::available say how much
  InstallDamaged = 7,        // the installer's store is damaged: nothing was written
  InstallWriteProtected = 8, // the drive is write-protected
  InstallDriveGone = 9,      // the drive went away during the install
};

// What a run came to: set at the first failure that counts (Fail), and after putting back changed only as
// SettleResult says.
struct InstallOutcome {
  InstallResult result;
  char named[MAX_PATH];                 // the file that InstallHeld, InstallInTheWay and InstallLeftOver name, else ""
  unsigned long long needed, available; // InstallNoRoom: the room the install needs and the room free, in bytes
};

// What each row's name holds now: what it held before the install; the new file where there was none; the new file
// with the earlier one set aside (or set aside alone, where putting the new one in place failed); or the new file
// for good, its earlier one removed.
enum RowHolds { HoldsWhatItHeld, HoldsNew, HoldsNewOverEarlier, HoldsNewForGood };

struct InstallRun {
  HANDLE root;                       // the drive's root folder, opened for flushing, or INVALID_HANDLE_VALUE
  int batched;                       // all written, the root flushed, then all put in place (FAT: install_sequence.h)
  int keepEarlier;                   // the earlier files stay aside until the end; else each goes once replaced
  int madeFolder;                    // this install made InstallDir
  int rowsBegun;                     // the rows whose writing has begun: their temporary files may exist
  int leftAside;                     // the pre-flight found set-aside names beside the rows
  FileNames names[ManifestRowCount]; // each carried row's names, given by the pre-flight
  RowHolds holds[ManifestRowCount];  // what each row's name holds now
  DWORD earlier[ManifestRowCount];   // the attribute word of each row's earlier file, where one is set aside
  unsigned char *payload;            // PayloadBufferSize bytes: each entry inflated, then the space for reading back
  unsigned char *settings;           // SettingsCopySize bytes: the settings file as written, for reading it back
  unsigned long settingsLength;      // its length
  InstallOutcome outcome;            // InstallSucceeded until a step fails
  HWND bar;                          // the progress bar, which moveBar moves
  void (*moveBar)(HWND bar, int position);
};

// Set from the window's thread when the session ends (a logoff forced through): the rows stop at their next safe
// point and everything is put back; past the rows the install finishes.
extern volatile LONG InstallStopAsked;

// Whether a step has failed the run.
int Failing(const InstallRun *run);

// The run fails with result, naming named where result names a file: recorded where it is the first failure, and
// returned, so that a step can end with "return Fail(run, ...)".
InstallResult Fail(InstallRun *run, InstallResult result, const char *named = nullptr);

// The run fails with what a file step's error means: a sharing violation is a program's hold on the step's file, a
// folder where a file goes is in the way, a locked medium is write-protected, a drive not ready or disconnected is
// gone where it no longer answers; any other error is a failure.
InstallResult FailStep(InstallRun *run, FileStep step);

// After a failure has been put back: the drive went away where it no longer answers; a file of this install's own
// that stays (left, its path) is left over; a drive not as the install found it (unchanged 0) makes every result
// that says it is a plain failure.
void SettleResult(InstallRun *run, int unchanged, const char *left);

#endif
