#include "install/preflight.h"

#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/file_writer.h"
#include "install/hold_retry.h"
#include "install/install_run.h"
#include "install/install_space.h"
#include "install/kernel_function.h"
#include "install/removal.h"
#include "store/crc32.h"
#include "store/payload_store.h"
#include "store/store_index.h"

namespace {

// The settings file's rewrite and the file system's own needs: 64 KiB, or two clusters where those are larger.
const unsigned long long Margin = 64 * 1024;

// What a one-byte file takes on the install folder's volume, or 0 when that cannot be told. Wine reports 4 KiB
// clusters for every volume, whatever the Unix file system allocates in; a file's own allocation shows that.
unsigned long long ProbeAllocation(InstallRun *run) {
  typedef BOOL(WINAPI * QueryFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  QueryFn query = KernelFunction<QueryFn>("GetFileInformationByHandleEx");
  char path[InstallDirSize];
  if (!query || BoundedFormat(path, sizeof path, "%s\\vel~probe.tmp", InstallDir) >= static_cast<int>(sizeof path))
    return 0;
  // One that an interrupted install left (the power cut while it existed) is taken over, and so removed; a
  // scanner's look at it is waited out (a denied access is a write-protected medium, not a hold).
  HANDLE file;
  for (DWORD started = GetTickCount();;) {
    file = CreateFileA(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE || !TryAgain(started, 0))
      break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_SHARING_VIOLATION) {
      run->failure = InstallHeld;
      lstrcpynA(run->named, path, MAX_PATH);
    }
    return 0;
  }
  DWORD written = 0;
  FILE_STANDARD_INFO info = {};
  int known = WriteFile(file, "v", 1, &written, nullptr) && query(file, FileStandardInfo, &info, sizeof info);
  CloseHandle(file);
  RemoveFile(path); // gone at the close, unless a scanner still has it open
  return known && info.AllocationSize.QuadPart > 0 ? static_cast<unsigned long long>(info.AllocationSize.QuadPart) : 0;
}

// The volume's allocation unit: 16 to 128 KiB on USB sticks, where 4 KiB would undercount. 0 when unknown.
unsigned long long ClusterSize(InstallRun *run, const char *root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    return 0;
  unsigned long long cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
  unsigned long long probed = ProbeAllocation(run);
  return probed > cluster ? probed : cluster;
}

} // namespace

Room CheckBeforeInstall(InstallRun *run) {
  StoreIndexEntry index[ManifestRowCount];
  int count = LoadStoreIndex(index, ManifestRowCount);
  if (count < 0)
    return RoomForNone;

  unsigned long long newSizes[ManifestRowCount], oldSizes[ManifestRowCount];
  char root[DriveRootSize];
  DriveRoot(InstallDir, root);
  int rows = 0, asideNames = SetAsideNamesIn(InstallDir) || SetAsideNamesIn(root);
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
      return RoomForNone;
    // A settings file too long for the read-back's copy would fail only after every other file was written.
    if (IsSettingsRow(row) && entry->inflatedSize > static_cast<unsigned long>(SettingsFileLimit))
      return RoomForNone;
    char path[MAX_PATH];
    ManifestRowPath(row, InstallDir, path, sizeof path);
    newSizes[rows] = entry->inflatedSize;
    // What an interrupted install left beside it goes before this row is written: a temporary file, and an
    // earlier file set aside (or it takes the name back, and is then this row's earlier file). A folder where a
    // file goes is the user's: it is named, and nothing is written.
    oldSizes[rows] = 0;
    if (const char *inTheWay = NameFiles(path, &run->names[i], &oldSizes[rows], asideNames)) {
      run->failure = InstallInTheWay;
      lstrcpynA(run->named, inTheWay, MAX_PATH);
      return RoomForNone;
    }
    ++rows;
  }

  // Sizes round up to the volume's own clusters.
  ULARGE_INTEGER available;
  unsigned long long cluster = ClusterSize(run, root);
  if (!cluster || !GetDiskFreeSpaceExA(root, &available, nullptr, nullptr))
    return RoomForNone;
  unsigned long long margin = Margin > 2 * cluster ? Margin : 2 * cluster;
  if (PeakInstallSpace(newSizes, oldSizes, rows, cluster, 1) + margin <= available.QuadPart)
    return RoomForBoth;
  return PeakInstallSpace(newSizes, oldSizes, rows, cluster) + margin <= available.QuadPart ? RoomPerFile : RoomForNone;
}
