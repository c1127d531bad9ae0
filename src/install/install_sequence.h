#ifndef VELLUMINE_INSTALL_INSTALL_SEQUENCE_H
#define VELLUMINE_INSTALL_INSTALL_SEQUENCE_H

enum { PayloadBufferSize = 4 * 1024 * 1024 };

// Beside the payload buffer, one MiB holds the settings file as written, with the language recorded, for reading it
// back at the end; the payload buffer itself then serves for reading files back from the medium. So the settings
// file the store carries may be at most that MiB less what recording the language adds: the packer refuses a
// larger one, and so does the pre-flight, before anything is written.
enum { SettingsCopySize = 1024 * 1024, SettingsFileLimit = SettingsCopySize - 64 };

// The outcomes of RunInstall. InstallHeld: failed because another program held the file named in HeldFile
// (hold_retry.h), with the drive as the install found it.
enum InstallResult { InstallFailed = 0, InstallSucceeded = 1, InstallUnverified = 2, InstallHeld = 3 };

// How the files reach the medium. Per file: each is flushed before its rename, which is written through. Batched,
// where the drive is FAT or FAT32 (on Windows' FAT driver a flush of the root folder writes the whole volume) and
// has room for every temporary file at once: every file is written under its temporary name, the root flushed, all
// renamed, the root flushed again. The install chooses by the drive's file system unless told here: the tests and
// the bench choose, since Wine reports every drive as NTFS.
enum FlushWay { FlushWayByFileSystem, FlushWayPerFile, FlushWayBatched };
extern FlushWay InstallFlushWay;

// How the wizard waits while the install works on a thread of its own, answering the system meanwhile: it returns
// once the thread (a HANDLE) has ended. The thread moves the progress bar through sent messages, which the wait
// must handle.
typedef void (*InstallWait)(void *worker);

// Installs the whole manifest into InstallDir (which must exist; madeFolder: this install made it) and records
// UiLanguage, moving the wizard's progress bar through 10, 20, 25, 45, 75, 90 and 100. Before the first file, with
// the bar at 10, checks the store and the room on the drive, and writes nothing when either fails. Every file is
// written complete under a temporary name before it takes its own (the settings file with the language already
// recorded), and on the medium before the bar reaches 100 (InstallFlushWay); then every file is read back from the
// medium and compared with what was written.
// Returns InstallSucceeded when every file the store carries was written, the language recorded and all of it
// read back as written; InstallUnverified when the drive gave back other bytes, with the files where they are;
// InstallFailed or InstallHeld at the first failure, with the bar left where it stands. Where the drive has room
// for every new file beside every earlier one, a failure leaves the drive as the install found it: every earlier
// file back, every new one gone, and the folder too where this install made it (and InstallHeld says so when a
// held file was the cause). Where it has room only for one file at a time, each file replaces the earlier one and
// a failure leaves those replaced so far. A file that cannot be read back is a failure. With wait, the files are
// written and read back on a thread of their own while wait runs on this one (no single call of a slow stick can
// then keep the window from answering); without it, or where no thread can be made, on this thread. The memory
// message, the one message of the install, is shown from this thread.
int RunInstall(InstallWait wait = nullptr, int madeFolder = 0);

#endif
