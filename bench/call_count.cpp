// Counts the install's system calls by kind and phase, and times each phase, for bench/call_table.sh: linked into
// install_bench, it does nothing unless VELLUMINE_COUNT_CALLS is set. Then it patches the program's own import
// table, so that each call of the product's code passes through a counter first, with none of the product's code
// changed (the same file counts an older commit's calls). The phases are told apart by calls the install makes at
// their bounds: the bench's first QueryPerformanceCounter starts the pre-flight, the root folder's opening the
// rows, the bar's move to 90 the placing (batched), the first unbuffered open the read-back, the next flush the
// settling, and the bench's second QueryPerformanceCounter ends it. At the exit it prints one line a function and
// phase, "calls PHASE COUNT MS FUNCTION KIND" (MS: the time inside those calls), and one a phase, "phase PHASE MS
// WORKING_SET PEAK_WORKING_SET" (the working set at its end).
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

enum Phase { PreFlight, Rows, Placing, ReadBack, Settling, Ended, Phases };
const char *const PhaseNames[] = {"pre-flight", "rows", "placing", "read-back", "settling"};

// Every function counted, under its kind's name in the table.
// clang-format off
#define COUNTED(X)                                                                                                     \
  X(CreateFileA, "create/open") X(WriteFile, "write") X(ReadFile, "read") X(CloseHandle, "close")                      \
  X(FlushFileBuffers, "flush") X(GetFileAttributesA, "attribute look") X(GetFileAttributesExA, "attribute look")       \
  X(GetFileInformationByHandle, "attribute look") X(SetFileAttributesA, "attribute set") X(MoveFileExA, "rename")      \
  X(DeleteFileA, "removal") X(RemoveDirectoryA, "removal") X(CreateDirectoryA, "folder made")                          \
  X(FindFirstFileA, "folder listing") X(FindNextFileA, "folder listing") X(GetDiskFreeSpaceA, "volume look")           \
  X(GetDiskFreeSpaceExA, "volume look") X(GetVolumeInformationA, "volume look") X(FindResourceA, "resource")           \
  X(LoadResource, "resource") X(SizeofResource, "resource") X(Sleep, "sleep")
// clang-format on
#define AS_KIND(function, kind) K_##function,
enum Kind { COUNTED(AS_KIND) K_SetFileInformationByHandle, K_GetFileInformationByHandleEx, Kinds };
#define AS_NAME(function, kind) {#function, kind},
const char *const Names[][2] = {COUNTED(AS_NAME){"SetFileInformationByHandle", "attribute set"},
                                {"GetFileInformationByHandleEx", "attribute look"}};

int Counts[Kinds][Phases];
LONGLONG Ticks[Kinds][Phases]; // the time inside the calls
void *Real[Kinds];
Phase Now = Ended; // counting only from the bench's first QueryPerformanceCounter
int Timed = 0;
decltype(&QueryPerformanceCounter) RealCounter;
LARGE_INTEGER Bound[Phases + 1];
SIZE_T WorkingSet[Phases], PeakSet[Phases];

void EndPhase(Phase next) {
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  for (int phase = Now; phase < next; ++phase) { // a phase that a way lacks (placing, per file) takes no time
    RealCounter(&Bound[phase + 1]);
    WorkingSet[phase] = memory.WorkingSetSize;
    PeakSet[phase] = memory.PeakWorkingSetSize;
  }
  Now = next;
}

// Counts one call of the kind, and the time until it returns, in the phase it began in.
struct Timing {
  int kind;
  Phase phase;
  LARGE_INTEGER before;
  explicit Timing(int counted) : kind(counted), phase(Now) { RealCounter(&before); }
  ~Timing() {
    LARGE_INTEGER after;
    RealCounter(&after);
    if (phase < Ended) {
      ++Counts[kind][phase];
      Ticks[kind][phase] += after.QuadPart - before.QuadPart;
    }
  }
};

template <typename F> struct Counter;
template <typename R, typename... A> struct Counter<R(WINAPI *)(A...)> {
  template <int K> static R WINAPI Call(A... a) {
    Timing timing(K);
    return reinterpret_cast<R(WINAPI *)(A...)>(Real[K])(a...);
  }
};

// The calls that mark a phase's bounds, counted as the others.
HANDLE WINAPI CountedCreate(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                            DWORD flags, HANDLE from) {
  if (Now == PreFlight && (flags & FILE_FLAG_BACKUP_SEMANTICS))
    EndPhase(Rows);
  if (Now < ReadBack && (flags & FILE_FLAG_NO_BUFFERING))
    EndPhase(ReadBack);
  return Counter<decltype(&CreateFileA)>::Call<K_CreateFileA>(path, access, share, security, how, flags, from);
}

BOOL WINAPI CountedFlush(HANDLE file) {
  if (Now == ReadBack)
    EndPhase(Settling);
  return Counter<decltype(&FlushFileBuffers)>::Call<K_FlushFileBuffers>(file);
}

decltype(&SendMessageA) RealSend;

LRESULT WINAPI CountedSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_SETPOS && wParam == 90 && Now == Rows)
    EndPhase(Placing);
  return RealSend(window, message, wParam, lParam);
}

BOOL WINAPI CountedCounter(LARGE_INTEGER *counter) {
  if (Timed++ == 0) {
    Now = PreFlight;
    RealCounter(&Bound[PreFlight]);
  } else if (Now < Ended) {
    EndPhase(Ended);
  }
  return RealCounter(counter);
}

decltype(&GetProcAddress) RealLookup;

// The functions the product looks up (those of Vista and later), counted as the imported ones.
FARPROC WINAPI CountedLookup(HMODULE module, LPCSTR name) {
  FARPROC found = RealLookup(module, name);
  typedef BOOL(WINAPI * Information)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  int kind = !found || reinterpret_cast<ULONG_PTR>(name) <= 0xffff ? -1
             : !strcmp(name, "GetFileInformationByHandleEx")       ? K_GetFileInformationByHandleEx
             : !strcmp(name, "SetFileInformationByHandle")         ? K_SetFileInformationByHandle
                                                                   : -1;
  if (kind < 0)
    return found;
  Real[kind] = reinterpret_cast<void *>(found);
  void *counted = reinterpret_cast<void *>(kind == K_SetFileInformationByHandle
                                               ? &Counter<Information>::Call<K_SetFileInformationByHandle>
                                               : &Counter<Information>::Call<K_GetFileInformationByHandleEx>);
  return reinterpret_cast<FARPROC>(counted);
}

// Each import counted, what takes its place, and where the real function is kept.
struct Patch {
  const char *name;
  void *counted;
  void **real;
};
#define AS_PATCH(function, kind)                                                                                       \
  {#function, reinterpret_cast<void *>(&Counter<decltype(&function)>::Call<K_##function>), &Real[K_##function]},
const Patch Patches[] = {
    {"CreateFileA", reinterpret_cast<void *>(&CountedCreate), &Real[K_CreateFileA]}, // the markers first
    {"FlushFileBuffers", reinterpret_cast<void *>(&CountedFlush), &Real[K_FlushFileBuffers]},
    {"SendMessageA", reinterpret_cast<void *>(&CountedSend), reinterpret_cast<void **>(&RealSend)},
    {"QueryPerformanceCounter", reinterpret_cast<void *>(&CountedCounter), reinterpret_cast<void **>(&RealCounter)},
    {"GetProcAddress", reinterpret_cast<void *>(&CountedLookup), reinterpret_cast<void **>(&RealLookup)},
    {"SetFileInformationByHandle", // imported by the bench's limit, looked up by the product
     reinterpret_cast<void *>(&Counter<decltype(&SetFileInformationByHandle)>::Call<K_SetFileInformationByHandle>),
     &Real[K_SetFileInformationByHandle]},
    COUNTED(AS_PATCH)};

// The counter for the import name, which calls real; null for an import not counted.
void *Counted(const char *name, void *real) {
  for (const Patch &patch : Patches)
    if (!strcmp(name, patch.name)) {
      *patch.real = real;
      return patch.counted;
    }
  return nullptr;
}

// Points every import the table names at its counter.
void PatchImports() {
  BYTE *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); d->Name; ++d) {
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      const char *name = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData)->Name;
      void *real = reinterpret_cast<void *>(slots->u1.Function);
      void *counted = Counted(name, real);
      DWORD old = 0;
      if (counted && VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) {
        slots->u1.Function = reinterpret_cast<ULONG_PTR>(counted);
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      }
    }
  }
}

void Report() {
  if (Timed < 2)
    return;
  LARGE_INTEGER ticks;
  QueryPerformanceFrequency(&ticks);
  double frequency = static_cast<double>(ticks.QuadPart) / 1000.0; // ticks a millisecond
  for (int phase = PreFlight; phase < Ended; ++phase)
    printf("phase %s %.2f %lu %lu\n", PhaseNames[phase],
           static_cast<double>(Bound[phase + 1].QuadPart - Bound[phase].QuadPart) / frequency,
           static_cast<unsigned long>(WorkingSet[phase]), static_cast<unsigned long>(PeakSet[phase]));
  for (int kind = 0; kind < Kinds; ++kind)
    for (int phase = PreFlight; phase < Ended; ++phase)
      if (Counts[kind][phase])
        printf("calls %s %d %.3f %s %s\n", PhaseNames[phase], Counts[kind][phase],
               static_cast<double>(Ticks[kind][phase]) / frequency, Names[kind][0], Names[kind][1]);
}

struct Start {
  Start() {
    if (!getenv("VELLUMINE_COUNT_CALLS"))
      return;
    PatchImports();
    atexit(Report);
  }
} Started __attribute__((init_priority(101))); // before the product's own look-ups at start

} // namespace
