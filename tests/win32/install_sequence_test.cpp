#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "install/install_sequence.h"
#include "install/manifest.h"
#include "resources/resource_ids.h"
#include "store/payload_store.h"
#include "store_harness.h"

namespace {

std::vector<int> Positions; // every PBM_SETPOS the progress bar received
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
  int Install(const std::string &dir, int language) {
    snprintf(InstallDir, sizeof InstallDir, "%s", dir.c_str());
    UiLanguage = language;
    Positions.clear();
    return RunInstall();
  }
};

Bytes Entry(unsigned short id) {
  Bytes buffer(PayloadBufferSize);
  unsigned long length = 0;
  if (!InflatePayload(id, buffer.data(), PayloadBufferSize, &length))
    return Bytes();
  buffer.resize(length);
  return buffer;
}

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
    Bytes entry = Entry(row.id);
    if (row.id == 120)
      EXPECT_EQ(Text(ReadWholeFile(path)), Text(entry) + "\r\n[Config]\r\nUILanguage=1\r\n\r\n");
    else
      EXPECT_TRUE(ReadWholeFile(path) == entry) << path;
  }
}

TEST_F(InstallSequence, SecondInstallRewritesTheEntry) {
  std::string dir = FreshFolder("Second");
  ASSERT_EQ(Install(dir, 0), 1);
  ASSERT_EQ(Install(dir, 2), 1) << "over read-only hidden files";
  EXPECT_EQ(Positions, AllPositions);
  std::string settings = Text(ReadWholeFile(dir + "\\QuorbixUI.ini"));
  EXPECT_EQ(settings, Text(Entry(120)) + "\r\n[Config]\r\nUILanguage=2\r\n\r\n");
}

TEST_F(InstallSequence, MissingFolderFailsAtTheFirstRow) {
  EXPECT_EQ(Install("E:\\no-such-install-folder", 1), 0);
  EXPECT_EQ(Positions, std::vector<int>({10}));
  EXPECT_EQ(GetFileAttributesA("E:\\no-such-install-folder"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallSequence, HeldFontFileFailsWithTheBarAt25) {
  std::string dir = FreshFolder("Locked");
  ASSERT_EQ(Install(dir, 1), 1);
  std::string font = dir + "\\ChnBmp.bin";
  SetFileAttributesA(font.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE held = CreateFileA(font.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Install(dir, 2), 0);
  CloseHandle(held);
  EXPECT_EQ(Positions, std::vector<int>({10, 20, 25}));
  for (int row = 0; row < 18; ++row)
    EXPECT_NE(GetFileAttributesA((dir + "\\" + Manifest[row].destination).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(ReadWholeFile(font) == Entry(110)) << "the font of the earlier install is intact";
  EXPECT_EQ(Text(ReadWholeFile(dir + "\\QuorbixUI.ini")), Text(Entry(120))) << "rewritten, the language not recorded";
}

// Drives that scripts/test.sh maps when it can mount a tmpfs: F: holds 64 KiB, G: is mounted read-only.
TEST_F(InstallSequence, SmallAndWriteProtectedMediaFailLeavingNothingPartial) {
  for (const char *variable : {"VELLUMINE_FULL_DRIVE", "VELLUMINE_READONLY_DRIVE"}) {
    const char *drive = getenv(variable);
    if (!drive || !*drive) {
      std::cout << "skipped: no " << variable << " (scripts/test.sh could not mount a tmpfs)\n";
      continue;
    }
    std::string dir = std::string(drive) + ":\\Vellumine";
    CreateDirectoryA(dir.c_str(), nullptr);
    ASSERT_NE(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES) << dir;
    EXPECT_EQ(Install(dir, 1), 0) << dir;
    EXPECT_EQ(Positions, std::vector<int>({10})) << dir;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    std::vector<std::string> left;
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = found.cFileName;
        if (name != "." && name != ".." && name != "big.bin")
          left.push_back(name);
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    // A complete first file may stay; nothing partial and no temporary file.
    for (const std::string &name : left) {
      EXPECT_EQ(name, "gbk2b5.bin") << dir;
      EXPECT_TRUE(ReadWholeFile(dir + "\\" + name) == Entry(200));
    }
  }
}

} // namespace
