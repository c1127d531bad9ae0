// Times the product's own install sequence, and the limit it is measured against, inside one Wine process.
//
//   install_bench ours DIR [LANGUAGE [WAY]]
//                                  RunInstall into DIR (made when missing) with the interface language's code
//                                  (default 1); prints the sequence's time and peak memory. WAY "by-name": the
//                                  read-only bit set by name, as on Windows without SetFileInformationByHandle;
//                                  "batched": the files flushed as on a FAT drive (the root twice); otherwise each
//                                  file flushed on its own; WAY ending "-refused": the application's rename
//                                  refused (a write fault), so that the install fails at its last row
//   install_bench inflate          uncompress of every carried entry alone, into one buffer
//   install_bench copy SRC DIR     CopyFileA of every installed file from SRC (the uncompressed payload) into DIR
//   install_bench readback DIR     reads every installed file in DIR back as the install's check does (unbuffered)
//   install_bench flush DIR        writes every payload file as new files into DIR\0 without and DIR\1 with
//                                  FlushFileBuffers
//   install_bench limit DIR        the fair limit for a verified install: for every carried entry, uncompress, write
//                                  a new file in DIR, FlushFileBuffers, then read it back unbuffered and compare
//   install_bench limit-safe DIR   the fair limit with the promises of a power cut at any moment: as limit, but each
//                                  file written under a temporary name, given its read-only and hidden bits through
//                                  its handle before its flush (so that the flush takes them to the medium) and
//                                  renamed onto its own, written through, and the drive's root folder flushed at the
//                                  end
//   install_bench preflight DIR    the checks before the first file alone (every entry's CRC-32, the room)
//   install_bench empty            nothing: the empty-process time of this program
//   install_bench resident         reads every byte of the store once and nothing else: the program with its own
//                                  store in memory, the baseline of the install's own memory (Wine reads an image
//                                  section whose file offset is not page-aligned into memory at load, and maps one
//                                  that is: the store then counts only once read, and which it is moves with every
//                                  change of the code before it)
//   install_bench serve            installs on request, for tests/media/fault_sweep.py: reads lines "DIR LANGUAGE WAY"
//                                  (WAY "per-file" or "batched"), makes DIR where it is missing as the wizard does,
//                                  runs RunInstall and answers "result R made M named PATH"; R is "folder" where DIR
//                                  could not be made
//
// Each prints one line "<mode> <milliseconds> ms [peak_working_set <bytes>]", timed with QueryPerformanceCounter.
#include <windows.h>

#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "app/globals.h"
#include "install/file_writer.h"
#include "install/install_run.h"
#include "install/install_sequence.h"
#include "install/manifest.h"
#include "install/preflight.h"
#include "install/read_back.h"
#include "store/payload_store.h"

namespace {

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

// A medium that refuses to put the application in place (a write fault), for a failed install's checks.
BOOL WINAPI RefuseApplication(LPCSTR from, LPCSTR to, DWORD flags) {
  const char *name = strrchr(to, '\\');
  if (name && !strcmp(name + 1, "VellumineMobile.exe") && strstr(from, TemporarySuffix)) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return MoveFileExA(from, to, flags);
}

int Ours(const char *dir, int language, const char *way) {
  CreateDirectoryA(dir, nullptr);
  lstrcpynA(InstallDir, dir, InstallDirSize);
  UiLanguage = language;
  if (!strncmp(way, "by-name", 7))
    SetFileInformation = nullptr;
  if (strstr(way, "-refused"))
    FileMove = RefuseApplication;
  InstallFlushWay = !strncmp(way, "batched", 7) ? FlushBatched : FlushPerFile;
  double start = Now();
  InstallOutcome outcome;
  int installed = RunInstall(&outcome);
  double elapsed = Now() - start;
  printf("ours %.2f ms peak_working_set %lu\n", elapsed, static_cast<unsigned long>(PeakWorkingSet()));
  return installed == InstallSucceeded ? 0 : 1;
}

int Serve() {
  char line[512], dir[MAX_PATH], way[32];
  int language = 0;
  while (fgets(line, sizeof line, stdin) && sscanf(line, "%259s %d %31s", dir, &language, way) == 3) {
    lstrcpynA(InstallDir, dir, InstallDirSize);
    UiLanguage = language;
    InstallFlushWay = !strcmp(way, "batched") ? FlushBatched : FlushPerFile;
    int made = GetFileAttributesA(dir) == INVALID_FILE_ATTRIBUTES;
    InstallOutcome outcome;
    if (made && !CreateDirectoryA(dir, nullptr))
      printf("result folder made 0 named\n");
    else
      printf("result %d made %d named %s\n", RunInstall(&outcome, nullptr, made), made, outcome.named);
    fflush(stdout);
  }
  return 0;
}

// Plain zlib on a row's entry, with none of the store's code: 1 with its length, 0 when the build does not carry
// it, -1 when it does not inflate.
int Uncompress(const ManifestRow &row, unsigned char *buffer, uLongf *length) {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(row.id), "TEXT");
  if (!found)
    return 0;
  const Bytef *data = static_cast<const Bytef *>(LockResource(LoadResource(AppInstance, found)));
  *length = PayloadBufferSize;
  return uncompress(buffer, length, data, SizeofResource(AppInstance, found)) == Z_OK ? 1 : -1;
}

int Inflate() {
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize));
  double start = Now();
  uLongf length = 0;
  for (const ManifestRow &row : Manifest)
    if (Uncompress(row, buffer, &length) < 0)
      return 1;
  printf("inflate %.2f ms\n", Now() - start);
  free(buffer);
  return 0;
}

int Copy(const char *source, const char *dir) {
  CreateDirectoryA(dir, nullptr);
  double start = Now();
  for (const ManifestRow &row : Manifest) {
    if (row.where != InFolder)
      continue;
    char from[MAX_PATH], to[MAX_PATH];
    wsprintfA(from, "%s\\%s", source, row.destination);
    wsprintfA(to, "%s\\%s", dir, row.destination);
    if (!CopyFileA(from, to, FALSE))
      return 1;
  }
  printf("copy %.2f ms\n", Now() - start);
  return 0;
}

int ReadBack(const char *dir) {
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize));
  double start = Now();
  unsigned long total = 0;
  for (const ManifestRow &row : Manifest) {
    char path[MAX_PATH];
    unsigned long length = 0, adler = 0;
    wsprintfA(path, "%s\\%s", dir, row.destination);
    if (row.where == InFolder && ReadBackDigest(path, buffer, PayloadBufferSize, &length, &adler))
      total += length;
  }
  printf("readback %.2f ms %lu bytes\n", Now() - start, total);
  free(buffer);
  return 0;
}

// The payload files written plainly (CreateFileA, WriteFile, CloseHandle), once without and once with a flush.
int Flush(const char *dir) {
  CreateDirectoryA(dir, nullptr);
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize));
  double took[2] = {0, 0};
  for (int flush = 0; flush < 2; ++flush) {
    char folder[MAX_PATH];
    wsprintfA(folder, "%s\\%d", dir, flush); // new files both times
    CreateDirectoryA(folder, nullptr);
    for (const ManifestRow &row : Manifest) {
      unsigned long length = 0;
      if (row.where != InFolder || !InflatePayload(row.id, buffer, PayloadBufferSize, &length))
        continue;
      char path[MAX_PATH];
      wsprintfA(path, "%s\\%s", folder, row.destination);
      double start = Now();
      HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD written = 0;
      WriteFile(file, buffer, length, &written, nullptr);
      if (flush)
        FlushFileBuffers(file);
      CloseHandle(file);
      took[flush] += Now() - start;
    }
  }
  printf("flush %.2f ms without, %.2f ms with\n", took[0], took[1]);
  free(buffer);
  return 0;
}

// The least a verified install must do, with none of ours: no pre-flight, no attributes. Plain: no temporary
// files either. Safe, with what a power cut at any moment needs of any installer: each file written under a
// temporary name, flushed, then renamed onto its own (written through), and the drive's root folder flushed at the
// end (on FAT what takes the last renames to the medium).
int Limit(const char *dir, bool safe) {
  CreateDirectoryA(dir, nullptr);
  char root[4] = {dir[0], ':', '\\', 0};
  unsigned char *buffer = static_cast<unsigned char *>(malloc(PayloadBufferSize));
  // Unbuffered reads need sector-aligned buffers: VirtualAlloc gives page-aligned ones.
  unsigned char *back = static_cast<unsigned char *>(
      VirtualAlloc(nullptr, PayloadBufferSize + 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  double start = Now();
  for (const ManifestRow &row : Manifest) {
    uLongf length = 0;
    int inflated = row.where == InFolder ? Uncompress(row, buffer, &length) : 0;
    if (inflated < 0)
      return 1;
    if (!inflated)
      continue;
    char path[MAX_PATH], temporary[MAX_PATH];
    wsprintfA(path, "%s\\%s", dir, row.destination);
    wsprintfA(temporary, "%s.tmp", path);
    HANDLE file =
        CreateFileA(safe ? temporary : path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    FILE_BASIC_INFO bits = {}; // zero times: left as they are
    bits.FileAttributes = (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
    BOOL ok = WriteFile(file, buffer, length, &done, nullptr) &&
              (!safe || !bits.FileAttributes || SetFileInformationByHandle(file, FileBasicInfo, &bits, sizeof bits)) &&
              FlushFileBuffers(file);
    CloseHandle(file);
    ok = ok && (!safe || MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    ok = ok && ReadFile(file, back, (length + 4095) / 4096 * 4096, &done, nullptr) && done == length &&
         memcmp(back, buffer, length) == 0;
    CloseHandle(file);
    if (!ok)
      return 1;
  }
  if (safe) {
    HANDLE folder = CreateFileA(root, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FlushFileBuffers(folder);
    CloseHandle(folder);
  }
  printf("%s %.2f ms\n", safe ? "limit-safe" : "limit", Now() - start);
  VirtualFree(back, 0, MEM_RELEASE);
  free(buffer);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  AppInstance = GetModuleHandleA(nullptr);
  if (argc >= 3 && !strcmp(argv[1], "ours"))
    return Ours(argv[2], argc >= 4 ? atoi(argv[3]) : 1, argc >= 5 ? argv[4] : "");
  if (argc >= 2 && !strcmp(argv[1], "inflate"))
    return Inflate();
  if (argc >= 4 && !strcmp(argv[1], "copy"))
    return Copy(argv[2], argv[3]);
  if (argc >= 3 && !strcmp(argv[1], "readback"))
    return ReadBack(argv[2]);
  if (argc >= 3 && !strcmp(argv[1], "flush"))
    return Flush(argv[2]);
  if (argc >= 3 && (!strcmp(argv[1], "limit") || !strcmp(argv[1], "limit-safe")))
    return Limit(argv[2], !strcmp(argv[1], "limit-safe"));
  if (argc >= 3 && !strcmp(argv[1], "preflight")) {
    lstrcpynA(InstallDir, argv[2], InstallDirSize);
    double start = Now();
    static InstallRun run;
    run.outcome.result = InstallSucceeded;
    InstallResult checked = CheckBeforeInstall(&run);
    printf("preflight %.2f ms\n", Now() - start);
    return checked == InstallSucceeded ? 0 : 1;
  }
  if (argc >= 2 && !strcmp(argv[1], "serve"))
    return Serve();
  if (argc >= 2 && !strcmp(argv[1], "resident")) {
    unsigned long sum = 0;
    for (const ManifestRow &row : Manifest) {
      unsigned long size = 0;
      const unsigned char *bytes = PayloadEntry(row.id, &size);
      for (unsigned long i = 0; bytes && i < size; i += 512)
        sum += bytes[i];
    }
    printf("resident %lu peak_working_set %lu\n", sum, static_cast<unsigned long>(PeakWorkingSet()));
    return 0;
  }
  if (argc >= 2 && !strcmp(argv[1], "empty")) {
    printf("empty 0 ms peak_working_set %lu\n", static_cast<unsigned long>(PeakWorkingSet()));
    return 0;
  }
  fprintf(stderr, "usage: install_bench ours DIR [LANGUAGE [WAY]] | inflate | copy SRC DIR | readback DIR | flush DIR "
                  "| limit DIR | limit-safe DIR | preflight DIR | empty | resident | serve\n");
  return 2;
}
