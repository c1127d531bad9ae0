#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "install/file_writer.h"
#include "install/install_sequence.h"
#include "install/manifest.h"
#include "install/read_back.h"
#include "resources/resource_ids.h"
#include "store/payload_store.h"
#include "store/store_index.h"
#include "store_harness.h"
#include "test_folders.h"

namespace {

std::vector<int> Positions; // every PBM_SETPOS the progress bar received
char Named[MAX_PATH];       // the file the last install named
WNDPROC BarProc;

LRESULT CALLBACK RecordingBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_SETPOS)
    Positions.push_back(static_cast<int>(wParam));
  return CallWindowProcA(BarProc, bar, message, wParam, lParam);
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The wizard's template as WizardWindow, with its progress bar recording the positions it is given.
class InstallSequence : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    AppInstance = GetModuleHandleA(nullptr);
    WizardWindow = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr, QuietDialog, 0);
    ASSERT_NE(WizardWindow, nullptr);
    HWND bar = GetDlgItem(WizardWindow, IDC_PROGRESS);
    BarProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBar)));
    Positions.clear();
  }
  void TearDown() override {
    DestroyWindow(WizardWindow);
    WizardWindow = nullptr;
  }
  int Install(const std::string &dir, int language, int madeFolder = 0) {
    snprintf(InstallDir, sizeof InstallDir, "%s", dir.c_str());
    UiLanguage = language;
    Positions.clear();
    InstallOutcome outcome;
    RunInstall(&outcome, nullptr, madeFolder);
    lstrcpynA(Named, outcome.named, MAX_PATH);
    return outcome.result;
  }
};

std::string Text(const Bytes &b) { return std::string(b.begin(), b.end()); }

const std::vector<int> AllPositions = {10, 20, 25, 45, 75, 90, 100};

TEST_F(InstallSequence, WholeInstallWithAttributesAndLanguage) {
  std::string dir = FreshFolder("Vellumine"); // left for check_install.sh on the Linux side
  ASSERT_EQ(Install(dir, 1), 1);
  EXPECT_EQ(Positions, AllPositions);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(WizardWindow, IDC_PROGRESS)));
  for (const ManifestRow &row : Manifest) {
    if (row.where == InDriveRoot) {
      char path[MAX_PATH];
      snprintf(path, sizeof path, row.destination, 'E');
      EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
      continue;
    }
    std::string path = dir + "\\" + row.destination;
    DWORD a = GetFileAttributesA(path.c_str());
    ASSERT_NE(a, INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_EQ((a & FILE_ATTRIBUTE_READONLY) != 0, row.readOnly != 0) << path;
    EXPECT_EQ((a & FILE_ATTRIBUTE_HIDDEN) != 0, row.hidden != 0) << path;
    Bytes source = PackedFile(row.destination); // the file on disk that the build packed
    ASSERT_FALSE(source.empty()) << row.destination;
    if (row.id == 120)
      EXPECT_EQ(Text(ReadWholeFile(path)), Text(source) + "\r\n[Config]\r\nUILanguage=1\r\n\r\n");
    else
      EXPECT_TRUE(ReadWholeFile(path) == source) << path;
  }
}

TEST_F(InstallSequence, SecondInstallRewritesTheEntry) {
  std::string dir = FreshFolder("Second");
  ASSERT_EQ(Install(dir, 0), 1);
  ASSERT_EQ(Install(dir, 2), 1) << "over read-only hidden files";
  EXPECT_EQ(Positions, AllPositions);
  std::string settings = Text(ReadWholeFile(dir + "\\QuorbixUI.ini"));
  EXPECT_EQ(settings, Text(SourceFile("payload/QuorbixUI.ini")) + "\r\n[Config]\r\nUILanguage=2\r\n\r\n");
}

TEST_F(InstallSequence, MissingFolderFailsAtTheFirstRow) {
  EXPECT_EQ(Install("E:\\no-such-install-folder", 1), 0);
  EXPECT_EQ(Positions, std::vector<int>({10}));
  EXPECT_EQ(GetFileAttributesA("E:\\no-such-install-folder"), INVALID_FILE_ATTRIBUTES);
  // A folder where a file goes, come after the look: named as in the way, and nothing is written.
  std::string dir = FreshFolder("InTheWay"), folder = dir + "\\ChnBmp.bin";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(Install(dir, 1), InstallInTheWay);
  EXPECT_EQ(std::string(Named), folder);
  EXPECT_TRUE(FilesIn(dir).empty());
  RemoveDirectoryA(folder.c_str());
}

// In place of MoveFileExA: the new application's rename refused (a failing medium, or for good with a denied access,
// as permissions from another PC would), or the first rename met by a program that holds its file without sharing
// deletion for 1.5 s (a scanner's long look), or the first earlier file set aside opened by a scanner that shares
// its deletion, for 1 s (its removal at the end then leaves the name until the scanner closes it).
enum Fault { FontHeld, RenameRefused, RenameDenied, RenameHeldAWhile, AsideOpenAWhile, Locked, NoFault } RenameMeets;
HANDLE Holder = INVALID_HANDLE_VALUE;
DWORD WINAPI LetGo(LPVOID pause) {
  Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pause)));
  CloseHandle(Holder);
  Holder = INVALID_HANDLE_VALUE;
  return 0;
}
void HoldFor(const char *path, DWORD share, UINT_PTR milliseconds) {
  RenameMeets = FontHeld; // once
  Holder = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  CloseHandle(CreateThread(nullptr, 0, LetGo, reinterpret_cast<void *>(milliseconds), 0, nullptr));
}
BOOL WINAPI MoveMeets(LPCSTR from, LPCSTR to, DWORD flags) {
  if (RenameMeets == Locked) { // a stick whose lock switch was slid: Windows refuses every change
    SetLastError(ERROR_WRITE_PROTECT);
    return FALSE;
  }
  if ((RenameMeets == RenameRefused || RenameMeets == RenameDenied) && strstr(to, "VellumineMobile.exe") &&
      strstr(from, ".vel~")) {
    SetLastError(RenameMeets == RenameDenied ? ERROR_ACCESS_DENIED : ERROR_WRITE_FAULT);
    return FALSE;
  }
  if (RenameMeets == RenameHeldAWhile && Holder == INVALID_HANDLE_VALUE)
    HoldFor(from, FILE_SHARE_READ | FILE_SHARE_WRITE, 1500);
  BOOL moved = MoveFileExA(from, to, flags);
  if (RenameMeets == AsideOpenAWhile && Holder == INVALID_HANDLE_VALUE && strstr(to, ".vel-old"))
    HoldFor(to, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 1000);
  return moved;
}

// A reinstall over an earlier install that differs from it in every file (other bytes, other attribute bits), each
// way of flushing: one that fails once it has begun to put files in place puts every earlier file back as it was
// and removes every new one (a fresh install its folder too); a hold that lets go within the retries ends well, and
// so does a removal whose name outlives it for a while. On E:, Linux removes a file at once; on the honest FUSE
// medium (scripts/test.sh maps it where it can), a name removed while open stays until the last close, as on
// Windows' FAT driver, and Wine keeps the hidden bit of a read-only file in an extended attribute. On the counterfeit
// medium the earlier files, made by hand, lie within its real room and the new ones past it: every earlier file
// is put back.
TEST_F(InstallSequence, AFailedInstallLeavesTheDriveAsItFoundIt) {
  const std::vector<int> ToFont = {10, 20, 25}, ToLast = {10, 20, 25, 45, 75}, Batched = {10, 20, 25, 45, 75, 90};
  const char *Fuse = "VELLUMINE_HONEST_DRIVE", *Counterfeit = "VELLUMINE_COUNTERFEIT_DRIVE";
  const struct {
    FlushWay way;
    Fault fault;       // FontHeld: the font held open by another program past the retries
    bool fresh;        // no earlier install: the folder made by this one
    bool leftovers;    // what a power cut left: one earlier file set aside without its name, a stale one beside another
    const char *drive; // the variable naming the medium, or null for E:
    int result;
    std::vector<int> positions;
  } cases[] = {{FlushPerFile, FontHeld, false, false, nullptr, InstallHeld, ToFont},
               {FlushBatched, FontHeld, false, false, nullptr, InstallHeld, Batched},
               {FlushPerFile, RenameRefused, false, true, nullptr, InstallFailed, ToLast},
               {FlushBatched, RenameRefused, true, false, nullptr, InstallFailed, Batched},
               {FlushPerFile, RenameDenied, false, false, nullptr, InstallFailed, ToLast},
               {FlushPerFile, RenameHeldAWhile, false, false, nullptr, InstallSucceeded, AllPositions},
               {FlushBatched, RenameHeldAWhile, true, false, nullptr, InstallSucceeded, AllPositions},
               {FlushPerFile, RenameRefused, false, false, Fuse, InstallFailed, ToLast},
               {FlushBatched, RenameRefused, false, false, Fuse, InstallFailed, Batched},
               {FlushPerFile, AsideOpenAWhile, false, false, Fuse, InstallSucceeded, AllPositions},
               {FlushBatched, RenameRefused, true, false, Fuse, InstallFailed, Batched},
               {FlushPerFile, NoFault, false, false, Counterfeit, InstallUnverified, Batched},
               {FlushPerFile, Locked, false, false, nullptr, InstallWriteProtected, {10}}};
  for (const auto &c : cases) {
    std::string dir = c.drive ? FaultInstallFolder(c.drive) : FreshFolder("Earlier"), font = dir + "\\ChnBmp.bin";
    if (dir.empty()) {
      std::cout << "skipped: no " << c.drive << " (scripts/test.sh could not mount a FUSE medium)\n";
      continue;
    }
    EmptyFolder(dir);
    std::string label = std::to_string(c.way) + " " + std::to_string(c.fault) + " " + dir;
    int i = 0;
    if (c.drive == Counterfeit)
      for (const ManifestRow &row : Manifest)
        ASSERT_TRUE(row.where == InDriveRoot || WriteWholeFile(dir + "\\" + row.destination, Bytes(1, 'e')));
    else if (!c.fresh) // a fresh one's folder counts as made by the install
      ASSERT_EQ(Install(dir, 0), InstallSucceeded);
    // One earlier file spelt otherwise than the manifest spells it: put back, it keeps its own spelling.
    ASSERT_TRUE(c.fresh || MoveFileA(font.c_str(), (dir + "\\CHNBMP.BIN").c_str()));
    for (const std::string &name : FilesIn(dir)) {
      std::string path = dir + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ASSERT_TRUE(WriteWholeFile(path, Bytes(name.begin(), name.end())));
      DWORD bits = c.drive   ? FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY
                   : ++i % 2 ? FILE_ATTRIBUTE_HIDDEN
                             : FILE_ATTRIBUTE_READONLY;
      SetFileAttributesA(path.c_str(), bits & ~FILE_ATTRIBUTE_READONLY);
      SetFileAttributesA(path.c_str(), bits);
    }
    auto before = Snapshot(dir);
    if (c.leftovers) { // the one the name lacks is the only copy: it goes back
      ASSERT_TRUE(MoveFileA((dir + "\\gbk2b5.bin").c_str(), (dir + "\\gbk2b5.bin.vel-old").c_str()));
      ASSERT_TRUE(WriteWholeFile(dir + "\\sort.dic.vel-old", Bytes(10, 's')));
    }
    HANDLE held = CreateFileA(c.fault == FontHeld ? font.c_str() : "", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0);
    InstallFlushWay = c.way;
    RenameMeets = c.fault;
    FileMove = MoveMeets;
    EXPECT_EQ(Install(dir, 2, c.fresh), c.result) << label;
    FileMove = MoveFileExA;
    InstallFlushWay = FlushByFileSystem;
    CloseHandle(held);
    EXPECT_EQ(Positions, c.positions) << label;
    EXPECT_TRUE(FilesIn(dir, "*.vel*").empty()) << label << ": no temporary file, no earlier one left aside";
    if (c.result == InstallSucceeded) {
      EXPECT_EQ(Text(ReadWholeFile(dir + "\\QuorbixUI.ini")),
                Text(SourceFile("payload/QuorbixUI.ini")) + "\r\n[Config]\r\nUILanguage=2\r\n\r\n");
      EXPECT_EQ(Holder, INVALID_HANDLE_VALUE) << "the hold came and went";
      continue;
    }
    EXPECT_EQ(GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES, c.fresh) << label;
    EXPECT_TRUE(Snapshot(dir) == before) << label << ": every earlier file as it was, every new one gone";
    if (c.drive && c.fresh) // for the tests after this one
      CreateDirectoryA(dir.c_str(), nullptr);
    EXPECT_EQ(std::string(Named), c.result == InstallHeld ? font : "") << label;
  }
}

// Drives that scripts/test.sh maps when it can mount a tmpfs: F: holds 64 KiB, G: is mounted read-only over an
// earlier file (Wine reports that as a denied access; Windows as write-protected, a case of the test above).
TEST_F(InstallSequence, SmallAndWriteProtectedMediaFailLeavingNothingPartial) {
  const std::pair<const char *, int> cases[] = {{"VELLUMINE_FULL_DRIVE", InstallNoRoom},
                                                {"VELLUMINE_READONLY_DRIVE", InstallFailed}};
  for (const auto &[variable, result] : cases) {
    std::string dir = FaultInstallFolder(variable);
    if (dir.empty()) {
      std::cout << "skipped: no " << variable << " (scripts/test.sh could not mount a tmpfs)\n";
      continue;
    }
    ASSERT_NE(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES) << dir;
    auto before = Snapshot(dir);
    EXPECT_EQ(Install(dir, 1), result) << dir;
    EXPECT_EQ(Positions, std::vector<int>({10})) << dir;
    EXPECT_TRUE(Snapshot(dir) == before) << dir;
  }
}

// A copy of the store with its entries and index as given, for the checks made before anything is written.
std::vector<StoreEntry> OwnStore() {
  std::vector<StoreEntry> entries;
  for (const ManifestRow &row : Manifest) {
    Bytes raw = OwnEntry(row.id);
    if (!raw.empty())
      entries.push_back(StoreEntry{row.id, raw});
  }
  entries.push_back(StoreEntry{StoreIndexId, OwnEntry(StoreIndexId, STORE_INDEX_TYPE), STORE_INDEX_TYPE});
  return entries;
}

// The index as the build writes it ("VIDX", count, {id, crc, inflated, stored} each, CRC-32 of all before it),
// with the inflated size of entry id changed and its own checksum made good again.
void SetIndexedSize(Bytes &index, unsigned long id, unsigned long inflated) {
  auto put = [&](size_t at, unsigned long v) {
    for (int i = 0; i < 4; ++i)
      index[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  for (size_t at = 8; at + 16 <= index.size() - 4; at += 16)
    if (index[at] == (id & 0xFF) && index[at + 1] == (id >> 8))
      put(at + 8, inflated);
  put(index.size() - 4, crc32(0, index.data(), static_cast<uInt>(index.size() - 4)));
}

TEST_F(InstallSequence, DamagedInstallerWritesNothing) {
  std::vector<StoreEntry> lateByte = OwnStore(), noIndex = OwnStore(), badIndex = OwnStore(), stripped = OwnStore(),
                          oversized = OwnStore(), longSettings = OwnStore();
  for (StoreEntry &e : lateByte)
    if (e.id == 109 && std::string(e.type) == "TEXT")
      e.data[e.data.size() / 2] ^= 0x01; // the application, extracted last
  noIndex.pop_back();
  badIndex.back().data[10] ^= 0x01;
  for (size_t i = 0; i < stripped.size(); ++i)
    if (stripped[i].id == 109)
      stripped.erase(stripped.begin() + static_cast<long>(i)); // the application's entry removed, the index kept
  SetIndexedSize(oversized.back().data, 208, PayloadBufferSize + 1UL);
  SetIndexedSize(longSettings.back().data, 120, SettingsFileLimit + 1UL); // too long to be read back whole
  struct Case {
    const char *module;
    std::vector<StoreEntry> *store;
    int result;
  } cases[] = {{"store_intact", nullptr, InstallSucceeded},           {"store_late_byte", &lateByte, InstallDamaged},
               {"store_no_index", &noIndex, InstallDamaged},          {"store_bad_index", &badIndex, InstallDamaged},
               {"store_stripped_entry", &stripped, InstallDamaged},   {"store_oversized", &oversized, InstallDamaged},
               {"store_long_settings", &longSettings, InstallDamaged}};
  std::vector<StoreEntry> intact = OwnStore();
  cases[0].store = &intact;
  for (Case &c : cases) {
    HMODULE store = MakeStoreModule(c.module, *c.store);
    ASSERT_NE(store, nullptr) << c.module;
    std::string dir = FreshFolder("Damaged");
    {
      ScopedAppInstance use(store);
      EXPECT_EQ(Install(dir, 1), c.result) << c.module;
    }
    EXPECT_EQ(FilesIn(dir).size(), c.result == InstallSucceeded ? 32u : 0u) << c.module;
    if (c.result != InstallSucceeded)
      EXPECT_EQ(Positions, std::vector<int>({10})) << c.module;
    FreeLibrary(store);
  }
}

// A drive of 8 MiB (scripts/test.sh maps it as I: when it can mount a tmpfs): an install fits once; a reinstall
// fits in what is left because the files it replaces count as free; with less room than its largest temporary
// file it writes nothing.
TEST_F(InstallSequence, ReinstallOnADriveWithLittleRoom) {
  std::string dir = FaultInstallFolder("VELLUMINE_TIGHT_DRIVE");
  if (dir.empty())
    GTEST_SKIP() << "no VELLUMINE_TIGHT_DRIVE (scripts/test.sh could not mount a tmpfs)";
  ASSERT_EQ(Install(dir, 1), 1);
  std::string root = dir.substr(0, 3);
  ULARGE_INTEGER available;
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr));
  unsigned long long total = 0;
  for (const ManifestRow &row : Manifest)
    total += row.where == InFolder ? PackedFile(row.destination).size() : 0;
  EXPECT_LT(available.QuadPart, total) << "less room than the whole payload";
  InstallFlushWay = FlushBatched; // no room for every temporary file at once: one at a time instead
  ASSERT_EQ(Install(dir, 2), 1) << "the replaced files make room";
  InstallFlushWay = FlushByFileSystem;
  // Leave less room than the dictionary's temporary file needs.
  std::string filler = root + "filler.bin";
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr));
  ASSERT_TRUE(WriteWholeFile(filler, Bytes(static_cast<size_t>(available.QuadPart - 1024 * 1024), 'f')));
  EXPECT_EQ(Install(dir, 0), InstallNoRoom);
  EXPECT_EQ(Positions, std::vector<int>({10}));
  std::string settings = Text(ReadWholeFile(dir + "\\QuorbixUI.ini"));
  EXPECT_EQ(settings, Text(SourceFile("payload/QuorbixUI.ini")) + "\r\n[Config]\r\nUILanguage=2\r\n\r\n")
      << "the earlier install stays";
  DeleteFileA(filler.c_str());
}

// A medium with 32 KiB clusters (a FUSE medium that scripts/test.sh maps as J: where it can mount one), with room
// for the install counted in 4 KiB clusters but not in its own: nothing is written.
TEST_F(InstallSequence, LargeClustersCountAgainstTheRoom) {
  std::string dir = FaultInstallFolder("VELLUMINE_CLUSTER_DRIVE");
  if (dir.empty())
    GTEST_SKIP() << "no VELLUMINE_CLUSTER_DRIVE (scripts/test.sh could not mount a FUSE medium)";
  // Wine reports 4 KiB clusters for every volume; the medium's own allocation shows in a file's.
  std::string root = dir.substr(0, 3), probe = dir + "\\probe.bin";
  DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA(root.c_str(), &sectors, &bytes, &freeClusters, &clusters));
  ULARGE_INTEGER available;
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr));
  ASSERT_TRUE(WriteWholeFile(probe, Bytes(1, 'p')));
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILE_STANDARD_INFO info = {};
  EXPECT_TRUE(GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info));
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  ASSERT_EQ(info.AllocationSize.QuadPart, 32768) << "one cluster of the medium's 32 KiB";
  unsigned long long at4k = 0, at32k = 0;
  for (const ManifestRow &row : Manifest) {
    unsigned long long size = row.where == InFolder ? PackedFile(row.destination).size() : 0;
    at4k += (size + 4095) / 4096 * 4096;
    at32k += (size + 32767) / 32768 * 32768;
  }
  unsigned long long room = available.QuadPart;
  ASSERT_GT(room, at4k + 65536) << "room for the install in 4 KiB clusters";
  ASSERT_LT(room, at32k) << "but not in 32 KiB ones";
  EXPECT_EQ(Install(dir, 1), InstallNoRoom);
  EXPECT_EQ(Positions, std::vector<int>({10}));
  EXPECT_TRUE(FilesIn(dir).empty());
}

// Media that lie, as FUSE media that scripts/test.sh maps where it can mount them: a counterfeit stick that keeps
// only its first MiB and reads back zeros after it, and failing flash that serves one byte of the dictionary
// changed. Neither ends in success: the bar stays below 100 and nothing stays. An honest one verifies.
TEST_F(InstallSequence, MediaThatLieAreCaughtByReadingBack) {
  const std::vector<int> Unverified = {10, 20, 25, 45, 75, 90};
  const struct {
    const char *variable;
    int result;
  } cases[] = {{"VELLUMINE_COUNTERFEIT_DRIVE", InstallUnverified},
               {"VELLUMINE_FAILING_DRIVE", InstallUnverified},
               {"VELLUMINE_HONEST_DRIVE", InstallSucceeded}};
  for (const auto &c : cases) {
    std::string dir = FaultInstallFolder(c.variable);
    if (dir.empty()) {
      std::cout << "skipped: no " << c.variable << " (scripts/test.sh could not mount a FUSE medium)\n";
      continue;
    }
    EmptyFolder(dir);
    EXPECT_EQ(Install(dir, 1), c.result) << c.variable;
    EXPECT_EQ(Positions, c.result == InstallSucceeded ? AllPositions : Unverified) << c.variable;
    EXPECT_EQ(FilesIn(dir).size(), c.result == InstallSucceeded ? 32u : 0u) << c.variable;
  }
}

// What the read-back meets on real systems, put in place of its open: a file system that refuses unbuffered opens
// (Wine never passes the flag on to Linux, so the refusal is made here), a scanner that holds each fresh file
// open, as antivirus software does, with the right to delete it, and a drive whose files cannot be opened at all.
enum Meeting { RefusedUnbuffered, HeldByScanner, RefusedAll } Meets;
int Refused;
HANDLE WINAPI ReadBackMeets(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                            DWORD flags, HANDLE model) {
  if (Meets == RefusedAll || (Meets == RefusedUnbuffered && (flags & FILE_FLAG_NO_BUFFERING))) {
    ++Refused;
    SetLastError(Meets == RefusedAll ? ERROR_SHARING_VIOLATION : ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE scanner = Meets == HeldByScanner
                       ? CreateFileA(path, GENERIC_READ | DELETE, all, nullptr, OPEN_EXISTING, 0, nullptr)
                       : INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileA(path, access, share, security, how, flags, model);
  Refused += file == INVALID_HANDLE_VALUE;
  if (scanner != INVALID_HANDLE_VALUE)
    CloseHandle(scanner);
  return file;
}

TEST_F(InstallSequence, ReadBackOnRealSystems) {
  const struct {
    Meeting meets;
    int result, refused;
  } cases[] = {{RefusedUnbuffered, InstallSucceeded, 32}, // every installed file read back through an ordinary open
               {HeldByScanner, InstallSucceeded, 0},
               {RefusedAll, InstallFailed, 1}}; // a failed install, not a drive that lies
  for (const auto &c : cases) {
    std::string dir = FreshFolder("ReadBack");
    Refused = 0;
    Meets = c.meets;
    ReadBackOpen = ReadBackMeets;
    EXPECT_EQ(Install(dir, 1), c.result) << c.refused;
    ReadBackOpen = CreateFileA;
    EXPECT_EQ(Refused, c.refused);
    EXPECT_EQ(Positions.back(), c.result == InstallSucceeded ? 100 : 90);
  }
}

} // namespace
