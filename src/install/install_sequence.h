#ifndef VELLUMINE_INSTALL_INSTALL_SEQUENCE_H
#define VELLUMINE_INSTALL_INSTALL_SEQUENCE_H

// The install: RunInstall, and the promises it keeps about the medium (the one place they are written out).
//
// Before the first file, with the bar at 10, it checks the store and the room on the drive, and names a folder that
// stands where a file goes (preflight.h); it writes nothing when any of these fails, and removes the folder this
// install made. What an interrupted install left aside is settled first. Every file is written complete under a
// temporary name, with its read-only and hidden bits, before it takes its own (the settings file with the language
// already recorded), and reaches the medium before the bar reaches 100:
// - per file: each is flushed before its rename, which is written through;
// - batched, where the drive is FAT or FAT32 and has room for every temporary file at once (on Windows' FAT driver a
//   flush of the root folder writes the whole volume, of any other folder nothing): every file is written under
//   its temporary name, the root flushed (all new data on the medium, no installed name changed yet), then all
//   renamed.
// An earlier file is renamed aside before the new one takes its name, never replaced (file_writer.h). Where the drive
// has room for every new file beside every earlier one, the earlier files stay aside until the end, so that a
// failure leaves the drive as the install found it: every earlier file back with its bytes and its read-only and
// hidden bits, every new one gone, and the folder too where this install made it (or, where a name outlived its
// removal, that name, named). Where it has room only for one file at a time, each earlier file goes as soon as its
// new one has its name, and a failure leaves those replaced so far, each whole.
// After the renames every file is read back from the medium past the cache and compared with what was written, and
// the root is flushed: only then is the install a success. Then the earlier files go and the root is flushed once
// more, so that nothing changes on the medium after the last flush (on FAT the whole volume; per file, whatever the
// system still holds, such as attributes set by name where SetFileInformationByHandle is missing). A drive that gives
// back other bytes fails like any other failure: every earlier file is put back by renames, which write no file data,
// and a failure flushes the root once after putting back (settle_outcome.h). Every removal ends with its name gone
// (removal.h), and a name is believed gone only while the drive answers. A power cut at any moment leaves under each
// name its earlier file, its new one, or nothing with the earlier one aside, never a torn file; the next install
// settles what was left aside. A session that ends (a logoff forced through) stops the rows at their next safe point.
#include "install/install_run.h"
#include "install/worker_thread.h"

// How the files reach the medium: chosen by the drive's file system unless set here. The tests and the bench
// choose, since Wine reports every drive as NTFS.
enum FlushWay { FlushByFileSystem, FlushPerFile, FlushBatched };
extern FlushWay InstallFlushWay;

// Installs the whole manifest into InstallDir (which must exist; madeFolder: this install made it) and records
// UiLanguage, moving the wizard's progress bar through 10, 20, 25, 45, 75, 90 and 100, as above. Returns the
// result, with the whole outcome in *outcome (install_run.h): InstallSucceeded when every file the store carries
// was written, the language recorded and all of it read back as written and flushed; otherwise the first failure
// that counts, with the drive as the install found it wherever that could be done, and the bar left where it
// stands. With wait, the files are written and read back on a thread of their own while wait runs on this one (no
// single call of a slow stick can then keep the window from answering). The memory message, the one message of the
// install, is shown from this thread.
InstallResult RunInstall(InstallOutcome *outcome, InstallWait wait = nullptr, int madeFolder = 0);

#endif
