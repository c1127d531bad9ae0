// Reading installed files back from the medium past the cache, and comparing them with what was written. Runs on
// the install's worker thread.
#include "install/read_back.h"

#include <string.h>
#include <windows.h>
#include <zlib.h>

#include "app/globals.h"
#include "store/payload_store.h"
#include "store/store_index.h"

ReadBackOpenFn ReadBackOpen = CreateFileA;

namespace {

const unsigned long Page = 4096; // a multiple of every sector size that unbuffered reads must keep to
// The most read at once: the whole buffer of a read becomes resident (Windows locks it for an unbuffered read, Wine
// checks every page of it), and the payload buffer is larger than all but the largest file.
const unsigned long MostAtOnce = 1024 * 1024;

// Opens path for reading past the cache, or, where the file system refuses that, as usual. Antivirus software
// and the indexer open freshly written files, executables above all, so every kind of sharing is allowed: a
// reader that insisted on exclusive sharing would fail on healthy drives.
HANDLE OpenForReadBack(const char *path) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = ReadBackOpen(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
    file = ReadBackOpen(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return file;
}

// Reads the file in whole pages through an aligned window of work, handing each piece to see(piece, size, offset);
// stops early when see returns 0. Returns ReadBackSame when the whole file was read and seen, with its length,
// ReadBackDiffers when see stopped it, and ReadBackFailed when it could not be opened or read.
template <typename See>
ReadBackOutcome ReadPieces(const char *path, unsigned char *work, unsigned long capacity, See see,
                           unsigned long *length) {
  uintptr_t start = (reinterpret_cast<uintptr_t>(work) + Page - 1) / Page * Page;
  unsigned long lost = static_cast<unsigned long>(start - reinterpret_cast<uintptr_t>(work));
  if (capacity < lost + Page)
    return ReadBackFailed;
  unsigned long window = (capacity - lost) / Page * Page;
  if (window > MostAtOnce)
    window = MostAtOnce;
  unsigned char *aligned = reinterpret_cast<unsigned char *>(start);
  HANDLE file = OpenForReadBack(path);
  if (file == INVALID_HANDLE_VALUE)
    return ReadBackFailed;
  unsigned long total = 0;
  ReadBackOutcome outcome = ReadBackFailed;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, aligned, window, &got, nullptr))
      break;
    if (got && !see(aligned, got, total)) {
      outcome = ReadBackDiffers;
      break;
    }
    total += got;
    if (got < window) { // the end of the file
      outcome = ReadBackSame;
      break;
    }
  }
  CloseHandle(file);
  *length = total;
  return outcome;
}

// The Adler-32 that ends a zlib stream: the checksum of the data it inflates to.
unsigned long StreamAdler(const unsigned char *stream, unsigned long size) {
  const unsigned char *t = stream + size - 4;
  return static_cast<unsigned long>(t[0]) << 24 | static_cast<unsigned long>(t[1]) << 16 |
         static_cast<unsigned long>(t[2]) << 8 | t[3];
}

} // namespace

int ReadBackDigest(const char *path, unsigned char *work, unsigned long capacity, unsigned long *length,
                   unsigned long *adler) {
  uLong sum = adler32(0, nullptr, 0);
  auto add = [&sum](const unsigned char *piece, DWORD size, unsigned long) {
    sum = adler32(sum, piece, size);
    return 1;
  };
  if (ReadPieces(path, work, capacity, add, length) != ReadBackSame)
    return 0;
  *adler = sum;
  return 1;
}

ReadBackOutcome ReadBackEquals(const char *path, const unsigned char *expected, unsigned long length,
                               unsigned char *work, unsigned long capacity) {
  auto same = [&](const unsigned char *piece, DWORD size, unsigned long offset) {
    return offset + size <= length && memcmp(piece, expected + offset, size) == 0;
  };
  unsigned long got = 0;
  ReadBackOutcome outcome = ReadPieces(path, work, capacity, same, &got);
  return outcome == ReadBackSame && got != length ? ReadBackDiffers : outcome;
}

InstallResult ReadBackInstall(const InstallRun *run) {
  StoreIndexEntry index[ManifestRowCount];
  int count = LoadStoreIndex(index, ManifestRowCount);
  if (count < 0)
    return InstallFailed;
  for (const ManifestRow &row : Manifest) {
    unsigned long stored = 0, length = 0, adler = 0;
    const unsigned char *stream = StoreCarries(row.id) ? PayloadEntry(row.id, &stored) : nullptr;
    const StoreIndexEntry *entry = FindIndexEntry(index, count, row.id);
    if (!stream || !entry)
      continue; // not carried, not written
    char path[MAX_PATH];
    ManifestRowPath(row, InstallDir, path, sizeof path);
    if (IsSettingsRow(row)) {
      ReadBackOutcome outcome =
          ReadBackEquals(path, run->settings, run->settingsLength, run->payload, PayloadBufferSize);
      if (outcome != ReadBackSame)
        return outcome == ReadBackDiffers ? InstallUnverified : InstallFailed;
    } else if (stored < 6 || !ReadBackDigest(path, run->payload, PayloadBufferSize, &length, &adler)) {
      return InstallFailed;
    } else if (length != entry->inflatedSize || adler != StreamAdler(stream, stored)) {
      return InstallUnverified;
    }
  }
  return InstallSucceeded;
}
