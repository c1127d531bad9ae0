#include "install/preflight.h"

#include <windows.h>
#include <zlib.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/install_sequence.h"
#include "install/manifest.h"
#include "store/store_index.h"

namespace {

// The settings file's rewrite and the file system's own needs: 64 KiB, or two clusters where those are larger.
const unsigned long long Margin = 64 * 1024;

// The stored bytes of a "TEXT" entry, or null when the store does not carry it.
const unsigned char *EntryBytes(unsigned short id, DWORD *size) {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(id), "TEXT");
  if (!found)
    return nullptr;
  *size = SizeofResource(AppInstance, found);
  HGLOBAL loaded = LoadResource(AppInstance, found);
  return loaded ? static_cast<const unsigned char *>(LockResource(loaded)) : nullptr;
}

unsigned long long ExistingSize(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  return static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void RowPath(const ManifestRow &row, char *path, size_t size) {
  if (row.where == InFolder)
    BoundedFormat(path, size, "%s\\%s", InstallDir, row.destination);
  else
    BoundedFormat(path, size, row.destination, InstallDir[0]);
}

} // namespace

int CheckBeforeInstall() {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(StoreIndexId), STORE_INDEX_TYPE);
  HGLOBAL loaded = found ? LoadResource(AppInstance, found) : nullptr;
  const unsigned char *indexBytes = loaded ? static_cast<const unsigned char *>(LockResource(loaded)) : nullptr;
  if (!indexBytes)
    return 0;
  StoreIndexEntry index[ManifestRowCount];
  int count = ParseStoreIndex(indexBytes, SizeofResource(AppInstance, found), index, ManifestRowCount);
  if (count < 0)
    return 0;

  unsigned long long newSizes[ManifestRowCount], oldSizes[ManifestRowCount];
  int rows = 0;
  for (const ManifestRow &row : Manifest) {
    DWORD size = 0;
    const unsigned char *bytes = EntryBytes(row.id, &size);
    const StoreIndexEntry *entry = FindIndexEntry(index, count, row.id);
    if (!bytes && !entry)
      continue; // not carried by this build: the install skips it
    // The index is the build's record of what it carries: an entry it lists that is gone, or one it does not
    // list, is damage; so is one that cannot fit the payload buffer.
    if (!bytes || !entry || entry->storedSize != size || entry->crc != crc32(0, bytes, size) ||
        entry->inflatedSize > static_cast<unsigned long>(PayloadBufferSize))
      return 0;
    char path[InstallDirSize];
    RowPath(row, path, sizeof path);
    newSizes[rows] = entry->inflatedSize;
    oldSizes[rows] = ExistingSize(path);
    ++rows;
  }

  // Sizes round up to the volume's own clusters: 16 to 128 KiB on USB sticks, where 4 KiB would undercount.
  char root[4] = {InstallDir[0], ':', '\\', 0};
  ULARGE_INTEGER available;
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceExA(root, &available, nullptr, nullptr) ||
      !GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    return 0;
  unsigned long long cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
  if (cluster == 0)
    return 0;
  unsigned long long margin = Margin > 2 * cluster ? Margin : 2 * cluster;
  return PeakInstallSpace(newSizes, oldSizes, rows, cluster) + margin <= available.QuadPart;
}
