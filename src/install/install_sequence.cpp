#include "install/install_sequence.h"

#include <windows.h>

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "app/globals.h"
#include "install/file_writer.h"
#include "install/hold_retry.h"
#include "install/manifest.h"
#include "install/preflight.h"
#include "install/read_back.h"
#include "install/settings_edit.h"
#include "install/worker_thread.h"
#include "resources/resource_ids.h"
#include "store/payload_store.h"
#include "store/store_index.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"

namespace {

// Where the bar stands once a row has been written: after row 16 it shows 20, and so on.
struct Stage {
  int lastRow; // 1-based
  int position;
};
const Stage Stages[] = {{16, 20}, {18, 25}, {19, 45}, {31, 75}, {34, 90}};

static_assert(EditedSettingsCapacity(SettingsFileLimit) == SettingsCopySize, "the settings copy fits");

void SetProgress(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar);
}

// Whether the store carries the row's entry; a row it does not carry is skipped.
int Carried(const ManifestRow &row) {
  unsigned long stored = 0;
  return PayloadEntry(row.id, &stored) != nullptr;
}

// What the install has done at a row, for putting it back: nothing yet, its new file in place where there was
// none, or in place with the earlier file set aside (or set aside alone, where putting the new one failed).
enum Placed { NotPlaced, PlacedNew, PlacedOverEarlier };

// How the rows reach the medium: each flushed and put in place on its own, or all written, then all put in place
// (batched); keepEarlier: each earlier file is set aside until the end, for putting it back.
struct Way {
  int batched, keepEarlier;
};

// Puts a row's temporary file in place, noting in placed what there is to put back.
int PlaceRow(const char *path, Way way, Placed *placed) {
  if (!way.keepEarlier)
    return PutInPlace(path, !way.batched);
  int earlier = 0, put = PutInPlace(path, !way.batched, &earlier);
  *placed = earlier ? PlacedOverEarlier : put ? PlacedNew : NotPlaced;
  return put;
}

// Writes one carried row under its temporary name, and where each file is flushed on its own, flushes it and puts
// it in place. The settings file is written with the language already recorded, so that no moment of the install
// leaves it without one; what was written of it is kept at settings (SettingsCopySize bytes), its length at
// *settingsLength, for reading it back.
int InstallRow(const ManifestRow &row, unsigned char *buffer, unsigned char *settings, unsigned long *settingsLength,
               Way way, Placed *placed) {
  char path[InstallDirSize];
  ManifestRowPath(row, path, sizeof path);
  unsigned long length = 0;
  if (!InflatePayload(row.id, buffer, PayloadBufferSize, &length))
    return 0;
  const unsigned char *data = buffer;
  if (row.where == InFolder && strcmp(row.destination, SettingsFileName) == 0) {
    length = static_cast<unsigned long>(EditUiLanguage(reinterpret_cast<const char *>(buffer), length, UiLanguage,
                                                       reinterpret_cast<char *>(settings), SettingsCopySize));
    *settingsLength = length;
    data = settings;
    if (!length)
      return 0;
  }
  unsigned long attributes = (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
  if (way.batched)
    return WriteBeside(path, data, length, attributes);
  if (!way.keepEarlier)
    return ReplaceFileContents(path, data, length, attributes);
  return WriteBeside(path, data, length, attributes, 1) && PlaceRow(path, way, placed);
}

// Removes the temporary files of the carried rows from..to (exclusive) of the manifest.
void RemoveTemporaries(int from, int to) {
  for (int row = from; row < to; ++row) {
    char path[InstallDirSize];
    ManifestRowPath(Manifest[row], path, sizeof path);
    if (Carried(Manifest[row]))
      RemoveBeside(path);
  }
}

// Puts every carried row's temporary file in place, not written through: on Windows a written-through rename is a
// flush of its own. At the first failure the other temporary files are removed.
int PutAllInPlace(Way way, Placed *placed) {
  for (int row = 0; row < ManifestRowCount; ++row) {
    char path[InstallDirSize];
    ManifestRowPath(Manifest[row], path, sizeof path);
    if (Carried(Manifest[row]) && !PlaceRow(path, way, &placed[row])) {
      RemoveTemporaries(row + 1, ManifestRowCount);
      return 0;
    }
  }
  return 1;
}

// Gives every placed row back what it held before the install, in reverse order. 1 when each name holds what it
// held before.
int PutAllBack(const Placed *placed) {
  int back = 1;
  for (int row = ManifestRowCount - 1; row >= 0; --row) {
    char path[InstallDirSize];
    ManifestRowPath(Manifest[row], path, sizeof path);
    if (placed[row] != NotPlaced)
      back = PutBack(path, placed[row] == PlacedOverEarlier) && back;
  }
  return back;
}

// Settles what an interrupted install left beside each row: earlier files set aside go back or go.
int SettleLeftovers() {
  if (!EarlierFilesLeft())
    return 1;
  for (const ManifestRow &row : Manifest) {
    char path[InstallDirSize];
    ManifestRowPath(row, path, sizeof path);
    if (!SettleEarlier(path))
      return 0;
  }
  return 1;
}

// Removes every earlier file set aside, once the new ones are in place for good.
void RemoveEarlierFiles(const Placed *placed) {
  for (int row = 0; row < ManifestRowCount; ++row) {
    char path[InstallDirSize];
    ManifestRowPath(Manifest[row], path, sizeof path);
    if (placed[row] == PlacedOverEarlier)
      RemoveEarlier(path);
  }
}

// The Adler-32 that ends a zlib stream: the checksum of the data it inflates to.
unsigned long StreamAdler(const unsigned char *stream, unsigned long size) {
  const unsigned char *t = stream + size - 4;
  return static_cast<unsigned long>(t[0]) << 24 | static_cast<unsigned long>(t[1]) << 16 |
         static_cast<unsigned long>(t[2]) << 8 | t[3];
}

// The drive's root folder, opened for flushing, or INVALID_HANDLE_VALUE. On FAT a flush of the root folder writes
// the whole volume (files, entries, the allocation table); a flush of any other folder writes nothing.
HANDLE OpenDriveRoot() {
  char root[4] = {InstallDir[0], ':', '\\', 0};
  return CreateFileA(root, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Whether the files are written all before any is flushed: where the drive is FAT or FAT32, whose root flush writes
// the whole volume, unless a test or the bench chose.
int Batched() {
  if (InstallFlushWay != FlushWayByFileSystem)
    return InstallFlushWay == FlushWayBatched;
  char root[4] = {InstallDir[0], ':', '\\', 0}, system[16];
  return GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system, sizeof system) &&
         (!lstrcmpiA(system, "FAT") || !lstrcmpiA(system, "FAT32"));
}

// Reads every file the install wrote back from the medium and compares it with what was written: a payload
// row's length with the store's index and its Adler-32 with its stream's; the settings file byte for byte with
// the copy at settings. The payload buffer is the reading space. A file that cannot be read back (refused, gone, a
// read error) is a failed install, not a lying drive.
int ReadBackInstall(unsigned char *buffer, const unsigned char *settings, unsigned long settingsLength) {
  StoreIndexEntry index[ManifestRowCount];
  int count = LoadStoreIndex(index, ManifestRowCount);
  if (count < 0)
    return InstallFailed;
  for (const ManifestRow &row : Manifest) {
    unsigned long stored = 0, length = 0, adler = 0;
    const unsigned char *stream = PayloadEntry(row.id, &stored);
    const StoreIndexEntry *entry = FindIndexEntry(index, count, row.id);
    if (!stream || !entry)
      continue; // not carried, not written
    char path[InstallDirSize];
    ManifestRowPath(row, path, sizeof path);
    if (row.where == InFolder && strcmp(row.destination, SettingsFileName) == 0) {
      ReadBackOutcome outcome = ReadBackEquals(path, settings, settingsLength, buffer, PayloadBufferSize);
      if (outcome != ReadBackSame)
        return outcome == ReadBackDiffers ? InstallUnverified : InstallFailed;
    } else if (stored < 6 || !ReadBackDigest(path, buffer, PayloadBufferSize, &length, &adler)) {
      return InstallFailed;
    } else if (length != entry->inflatedSize || adler != StreamAdler(stream, stored)) {
      return InstallUnverified;
    }
  }
  return InstallSucceeded;
}

// Writes every row and puts it in place. Per file: each is flushed before its rename, which is written through.
// Batched, on FAT: every file is written under its temporary name, the root flushed (all new data on the medium, no
// installed name changed yet), then all renamed. Where the drive has room for every new file beside every earlier
// one, each earlier file is set aside rather than replaced, and kept until the end: an install that fails once it
// has begun to put files in place puts every earlier file back and removes every new one. After the renames every file
// is read back; then the earlier files go and the root is flushed, so that nothing changes on the medium after the last
// flush (on FAT the whole volume; per file, whatever the system still holds, such as attributes set by name where
// SetFileInformationByHandle is missing). A cut at any moment leaves each name with its earlier file, its new one, or
// nothing, and never a torn file.
int InstallRows(HWND bar, unsigned char *buffer, Room room) {
  unsigned char *settings = buffer + PayloadBufferSize;
  unsigned long settingsLength = 0;
  HANDLE root = OpenDriveRoot();
  Way way = {root != INVALID_HANDLE_VALUE && room == RoomForBoth && Batched(), room == RoomForBoth};
  Placed placed[ManifestRowCount] = {};
  int row = 0, installed = SettleLeftovers();
  for (const Stage &stage : Stages) {
    for (; installed && row < stage.lastRow; ++row)
      installed =
          !Carried(Manifest[row]) || InstallRow(Manifest[row], buffer, settings, &settingsLength, way, &placed[row]);
    if (!installed)
      break;
    SetProgress(bar, stage.position);
  }
  if (way.batched) {
    // Until the renames a failure leaves nothing: the temporary files go (a failed row's has gone by itself).
    int flushed = installed && FlushFileBuffers(root);
    if (!flushed)
      RemoveTemporaries(0, installed ? ManifestRowCount : row - 1);
    installed = flushed && PutAllInPlace(way, placed);
  }
  // Nothing is called a success until the drive has given every file back; a drive that gives back other bytes
  // is not trusted with putting the earlier files back.
  int result = installed ? ReadBackInstall(buffer, settings, settingsLength) : InstallFailed;
  int unchanged = 0;
  if (result != InstallFailed)
    RemoveEarlierFiles(placed);
  else if (way.keepEarlier)
    unchanged = PutAllBack(placed);
  else
    unchanged = row <= 1; // replaced one by one: unchanged only where the first row failed
  if (root != INVALID_HANDLE_VALUE) {
    FlushFileBuffers(root);
    CloseHandle(root);
  }
  if (result == InstallSucceeded)
    SetProgress(bar, 100);
  // A program that held a file, with the drive as the install found it: the user can close it and try again.
  return result == InstallFailed && unchanged && HeldFile[0] ? InstallHeld : result;
}

struct Work {
  HWND bar;
  unsigned char *buffer;
};

DWORD WINAPI InstallWork(LPVOID parameter) {
  const Work *work = static_cast<const Work *>(parameter);
  // Nothing is written from a damaged installer, nor onto a drive without room for the whole install.
  Room room = CheckBeforeInstall();
  if (room)
    return static_cast<DWORD>(InstallRows(work->bar, work->buffer, room));
  return HeldFile[0] ? InstallHeld : InstallFailed;
}

} // namespace

FlushWay InstallFlushWay = FlushWayByFileSystem;

DWORD RunBeside(LPTHREAD_START_ROUTINE work, void *parameter, InstallWait wait) {
  HANDLE worker = wait ? CreateThread(nullptr, 0, work, parameter, 0, nullptr) : nullptr;
  if (!worker)
    return work(parameter);
  DWORD result = 0;
  wait(worker);
  GetExitCodeThread(worker, &result);
  CloseHandle(worker);
  return result;
}

int RunInstall(InstallWait wait, int madeFolder) {
  HeldFile[0] = 0;
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize + SettingsCopySize));
  DWORD installed = InstallFailed;
  if (!buffer) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
  } else {
    Work work = {GetDlgItem(WizardWindow, IDC_PROGRESS), buffer};
    ShowWindow(work.bar, SW_SHOW);
    SetProgress(work.bar, 10);
    installed = RunBeside(InstallWork, &work, wait);
    free(buffer);
  }
  // A failed install removes the folder it made, where nothing is left in it.
  if (madeFolder && (installed == InstallFailed || installed == InstallHeld))
    RemoveDirectoryA(InstallDir);
  return static_cast<int>(installed);
}
