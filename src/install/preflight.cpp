// The checks before the first file is written: the store intact, the names free, the room enough. Runs on the
// install's worker thread.
#include "install/preflight.h"

#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/folder_names.h"
#include "install/hold_retry.h"
#include "install/install_space.h"
#include "install/removal.h"
#include "store/crc32.h"
#include "store/payload_store.h"
#include "store/store_index.h"

namespace {

// The settings file's rewrite and the file system's own needs: 64 KiB, or two clusters where those are larger.
const unsigned long long Margin = 64 * 1024;

// What a one-byte file takes on the install folder's volume, or 0 when that cannot be told (*error says why, where
// the probe could not be made). Wine reports 4 KiB clusters for every volume, whatever the Unix file system
// allocates in; a file's own allocation shows that.
unsigned long long ProbeAllocation(DWORD *error) {
  char path[InstallDirSize];
  if (!GetFileInformation ||
      BoundedFormat(path, sizeof path, "%s\\vel~probe.tmp", InstallDir) >= static_cast<int>(sizeof path))
    return 0;
  // One that an interrupted install left (the power cut while it existed) is taken over, and so removed; a
  // scanner's look at it is waited out (a denied access is a write-protected medium, not a hold). A probe that
  // cannot be made only leaves the clusters to the volume's word.
  HANDLE file;
  for (DWORD started = GetTickCount();;) {
    file = CreateFileA(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    *error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (!*error || !TryAgain(started, *error, 0))
      break;
  }
  if (*error)
    return 0;
  DWORD written = 0;
  FILE_STANDARD_INFO info = {};
  int known =
      WriteFile(file, "v", 1, &written, nullptr) && GetFileInformation(file, FileStandardInfo, &info, sizeof info);
  CloseHandle(file);
  RemoveFile(path); // gone at the close, unless a scanner still has it open
  return known && info.AllocationSize.QuadPart > 0 ? static_cast<unsigned long long>(info.AllocationSize.QuadPart) : 0;
}

// The volume's allocation unit: 16 to 128 KiB on USB sticks, where 4 KiB would undercount. 0 when unknown.
unsigned long long ClusterSize(const char *root, DWORD *error) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  *error = ERROR_SUCCESS;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    *error = GetLastError();
    return 0;
  }
  unsigned long long cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
  unsigned long long probed = ProbeAllocation(error);
  return probed > cluster ? probed : cluster;
}

// What the one look at the install folder found: whether it holds any name, and any set-aside name (an earlier file
// an interrupted install left aside, or a folder of the user's); meanwhile each earlier file's spelling, where the
// drive spells it otherwise than the manifest does, goes into its row's names.
enum { FolderHoldsNames = 1, FolderHoldsSetAside = 2 };
struct FolderLook {
  FileNames *names;
  int holds;
};
int LookAtFolder(InstallRun *run) {
  FolderLook look = {run->names, 0};
  EachName(
      InstallDir,
      [](const WIN32_FIND_DATAA &found, void *context) {
        FolderLook *look = static_cast<FolderLook *>(context);
        const char *extension = strrchr(found.cFileName, '.'); // ".vel-old", or ".vel-old2" and so on
        look->holds |=
            FolderHoldsNames |
            (extension && !_strnicmp(extension, SetAsideSuffix, sizeof SetAsideSuffix - 1) ? FolderHoldsSetAside : 0);
        for (int i = 0; i < ManifestRowCount; ++i) {
          const ManifestRow &row = Manifest[i];
          if (row.where == InFolder && !lstrcmpiA(row.destination, found.cFileName) &&
              lstrcmpA(row.destination, found.cFileName) && StoreCarries(row.id))
            BoundedFormat(look->names[i].spelled, MAX_PATH, "%s\\%s", InstallDir, found.cFileName);
        }
        return 1;
      },
      &look);
  return look.holds;
}

} // namespace

InstallResult CheckBeforeInstall(InstallRun *run) {
  StoreIndexEntry index[ManifestRowCount];
  int count = LoadStoreIndex(index, ManifestRowCount);
  if (count < 0)
    return Fail(run, InstallDamaged);

  unsigned long long newSizes[ManifestRowCount], oldSizes[ManifestRowCount];
  char root[DriveRootSize];
  DriveRoot(InstallDir, root);
  // One look at the folder tells whether there is anything to look at beside each row. The drive's root holds the
  // install folder itself: where a row goes there, every name beside it is looked at.
  int rows = 0, holds[2] = {LookAtFolder(run), 0};
  for (const ManifestRow &row : Manifest)
    if (row.where == InDriveRoot && StoreCarries(row.id))
      holds[InDriveRoot] = FolderHoldsNames | FolderHoldsSetAside;
  run->leftAside = (holds[InFolder] | holds[InDriveRoot]) & FolderHoldsSetAside;
  for (int i = 0; i < ManifestRowCount; ++i) {
    const ManifestRow &row = Manifest[i];
    const StoreIndexEntry *entry = FindIndexEntry(index, count, row.id);
    if (!StoreCarries(row.id) && !entry)
      continue; // not carried by this build: the install skips it
    unsigned long size = 0;
    const unsigned char *bytes = PayloadEntry(row.id, &size);
    // The index is the build's record of what it carries: an entry it lists that is gone, or one it does not
    // list, is damage; so is one that cannot fit the payload buffer.
    if (!bytes || !entry || entry->storedSize != size || entry->crc != Crc32(0, bytes, size) ||
        entry->inflatedSize > static_cast<unsigned long>(PayloadBufferSize))
      return Fail(run, InstallDamaged);
    // A settings file too long for the read-back's copy would fail only after every other file was written.
    if (IsSettingsRow(row) && entry->inflatedSize > static_cast<unsigned long>(SettingsFileLimit))
      return Fail(run, InstallDamaged);
    char path[MAX_PATH];
    ManifestRowPath(row, InstallDir, path, sizeof path);
    newSizes[rows] = entry->inflatedSize;
    // What an interrupted install left beside it goes before this row is written: a temporary file, and an
    // earlier file set aside (or it takes the name back, and is then this row's earlier file). A folder where a
    // file goes is the user's: it is named, and nothing is written.
    oldSizes[rows] = 0;
    if (const char *inTheWay = NameFiles(path, &run->names[i], &oldSizes[rows],
                                         !(holds[row.where] & FolderHoldsNames) ? LookAtNothing
                                         : run->leftAside                       ? LookAtSetAside
                                                                                : LookAtFile))
      return Fail(run, InstallInTheWay, inTheWay);
    ++rows;
  }

  // Sizes round up to the volume's own clusters. A locked stick already refuses the probe.
  ULARGE_INTEGER available;
  DWORD error = ERROR_SUCCESS;
  unsigned long long cluster = ClusterSize(root, &error);
  if (error == ERROR_WRITE_PROTECT)
    return Fail(run, InstallWriteProtected);
  if (!cluster || !GetDiskFreeSpaceExA(root, &available, nullptr, nullptr))
    return FailStep(run, {cluster ? GetLastError() : error, root});
  unsigned long long margin = Margin > 2 * cluster ? Margin : 2 * cluster;
  run->keepEarlier = PeakInstallSpace(newSizes, oldSizes, rows, cluster, 1) + margin <= available.QuadPart;
  unsigned long long needed = PeakInstallSpace(newSizes, oldSizes, rows, cluster) + margin;
  if (run->keepEarlier || needed <= available.QuadPart)
    return InstallSucceeded;
  run->outcome.needed = needed;
  run->outcome.available = available.QuadPart;
  return Fail(run, InstallNoRoom);
}
