// The real installer, end to end under Wine: what a user sees on each page, the keys, the install with each
// language, the fault messages and the chooser. The install drive is H: (scripts/wine-env.sh maps it).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "installer_session.h"
#include "resources/resource_ids.h"
#include "ui/texts.h"

namespace {

struct Expectation {
  int id;
  bool visible;
};

// The page table: what each page shows and hides.
std::vector<Expectation> PageTable(int page, bool english) {
  return {{IDC_DRIVE_EDIT, page == 0},
          {IDC_PATH_LABEL, page == 0},
          {IDC_BROWSE, page == 0},
          {IDC_USB_HINT, page == 0},
          {IDC_FOLDER_SUFFIX, page == 0},
          {IDC_LANGUAGE_LABEL, page == 1},
          {IDC_LANGUAGE_COMBO, page == 1},
          {IDC_ENGLISH, page == 2},
          {IDC_LICENCE_EDIT, page == 2 && english},
          {IDC_LICENCE_LIST, page == 2 && !english},
          {IDC_BACK, page != 0},
          {IDC_NEXT, true},
          {IDCANCEL, true},
          {IDC_EDITION_LABEL, false},
          {IDC_WAIT_BUTTON, false},
          {IDC_PROGRESS, false},
          {IDC_BRAND_LABEL, true},
          {IDC_BLANK_LABEL, true}};
}

void ExpectPage(const InstallerSession &s, int page, bool english = true) {
  for (const Expectation &e : PageTable(page, english))
    EXPECT_EQ(s.Visible(e.id), e.visible) << "page " << page << " control " << e.id;
  EXPECT_EQ(s.Enabled(IDC_BACK), page != 0) << "page " << page;
}

std::string ReadFileText(const char *path) {
  std::string out;
  if (FILE *f = fopen(path, "rb")) {
    char buf[8192];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
      out.append(buf, n);
    fclose(f);
  }
  return out;
}

void ClearInstall(const std::string &drive) {
  std::string dir = drive + ":\\Vellumine";
  EmptyFolder(dir);
  RemoveDirectoryA(dir.c_str());
}

// Drive text, Next, Next: the licence page.
void ToLicence(InstallerSession &s, const char *drive, int language = 0) {
  s.Type(IDC_DRIVE_EDIT, drive);
  s.Press(IDC_NEXT);
  SendMessageA(s.Control(IDC_LANGUAGE_COMBO), CB_SETCURSEL, static_cast<WPARAM>(language), 0);
  s.Press(IDC_NEXT);
}

TEST(Wizard, StartsOnTheDrivePage) {
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  ExpectPage(s, 0);
  EXPECT_EQ(s.Text(IDC_DRIVE_EDIT), "@");
  EXPECT_EQ(s.Text(IDC_FOLDER_SUFFIX), ":\\Vellumine");
  HWND combo = s.Control(IDC_LANGUAGE_COMBO);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
  const char *names[] = {"English", "Chinese(Simplified)", "Chinese(Traditional)"};
  for (int i = 0; i < 3; ++i) {
    wchar_t text[64] = L"";
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    char narrow[64];
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    EXPECT_EQ(std::string(narrow), names[i]);
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0), i);
  }
  Screenshot(s.wizard, "page0_drive");
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(s.wizard, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
  EXPECT_EQ(answer, 1u) << "outside the install a logoff goes ahead";
  ShownMessage m = s.MessageAfter(IDC_NEXT);
  EXPECT_EQ(m.chinese, DriveChinese);
  EXPECT_EQ(m.english, DriveEnglish);
  ExpectPage(s, 0);
  s.Click(IDCANCEL);
  EXPECT_EQ(s.WaitForExit(), 0);
}

TEST(Wizard, DriveTexts) {
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  s.Type(IDC_DRIVE_EDIT, "E@");
  EXPECT_EQ(s.MessageAfter(IDC_NEXT).english, DriveEnglish) << "E@ is refused";
  ExpectPage(s, 0);
  s.Type(IDC_DRIVE_EDIT, "e");
  EXPECT_EQ(s.Text(IDC_DRIVE_EDIT), "E") << "shown in upper case";
  s.Press(IDC_NEXT);
  ExpectPage(s, 1);
  s.Press(IDC_BACK);
  ExpectPage(s, 0);
  EXPECT_EQ(s.Text(IDC_DRIVE_EDIT), "E") << "kept going back";
  // A digit is accepted; the folder cannot be made on it.
  ToLicence(s, "1");
  ExpectPage(s, 2);
  ShownMessage m = s.MessageAfter(IDC_NEXT);
  EXPECT_EQ(m.chinese, FolderChinese);
  EXPECT_EQ(m.english, "Cannot create folder! Please check folder path.");
  ExpectPage(s, 2);
  s.Press(IDC_BACK);
  ExpectPage(s, 1);
  s.Press(IDC_NEXT); // Next on page 1 again
  ExpectPage(s, 2);
  EXPECT_EQ(s.MessageAfter(IDC_NEXT).chinese, FolderChinese);
  s.Click(IDCANCEL);
  EXPECT_EQ(s.WaitForExit(), 0);
}

TEST(Wizard, PagesAndLicences) {
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  s.Type(IDC_DRIVE_EDIT, "H");
  s.Press(IDC_NEXT);
  ExpectPage(s, 1);
  Screenshot(s.wizard, "page1_language");
  s.Press(IDC_NEXT);
  ExpectPage(s, 2, true);
  EXPECT_EQ(SendMessageA(s.Control(IDC_ENGLISH), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_NE(s.Text(IDC_LICENCE_EDIT).find("SOFTWARE LICENCE AGREEMENT"), std::string::npos);
  Screenshot(s.wizard, "page2_licence_english");
  s.Press(IDC_ENGLISH); // clear it: the Chinese list
  ExpectPage(s, 2, false);
  EXPECT_EQ(SendMessageA(s.Control(IDC_LICENCE_LIST), LB_GETCOUNT, 0, 0), 60);
  Screenshot(s.wizard, "page2_licence_chinese");
  s.Press(IDC_BACK);
  ExpectPage(s, 1);
  s.Press(IDC_NEXT);
  ExpectPage(s, 2, true);
  EXPECT_EQ(SendMessageA(s.Control(IDC_ENGLISH), BM_GETCHECK, 0, 0), BST_CHECKED) << "ticked again";
  s.Press(IDC_ENGLISH);
  EXPECT_EQ(SendMessageA(s.Control(IDC_LICENCE_LIST), LB_GETCOUNT, 0, 0), 60) << "not loaded twice";
  s.Press(IDC_BACK);
  s.Press(IDC_BACK);
  ExpectPage(s, 0);
  s.Key(IDC_DRIVE_EDIT, VK_ESCAPE);
  EXPECT_EQ(s.WaitForExit(), 0) << "Escape ends the program";
}

TEST(Wizard, ReturnKeyGivesOneCommandPerPress) {
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  // In the drive field: Next (one page on, not two)
  s.Type(IDC_DRIVE_EDIT, "H");
  s.Focus(IDC_DRIVE_EDIT);
  s.Key(IDC_DRIVE_EDIT, VK_RETURN);
  s.Settle();
  ExpectPage(s, 1);
  // On Back: back to page 0
  s.Focus(IDC_BACK);
  s.Key(IDC_BACK, VK_RETURN);
  s.Settle();
  ExpectPage(s, 0);
  // On Next: page 1
  s.Focus(IDC_NEXT);
  s.Key(IDC_NEXT, VK_RETURN);
  s.Settle();
  ExpectPage(s, 1);
  // On the language list: Next
  s.Focus(IDC_LANGUAGE_COMBO);
  s.Key(IDC_LANGUAGE_COMBO, VK_RETURN);
  s.Settle();
  ExpectPage(s, 2);
  // On the check box: Agree/Install, here on a drive that does not exist
  s.Press(IDC_BACK);
  s.Press(IDC_BACK);
  s.Type(IDC_DRIVE_EDIT, "Q");
  s.Press(IDC_NEXT);
  s.Press(IDC_NEXT);
  s.Focus(IDC_ENGLISH);
  s.Key(IDC_ENGLISH, VK_RETURN);
  EXPECT_EQ(TakeMessage().chinese, FolderChinese);
  s.Settle();
  ExpectPage(s, 2);
  // On Browse (page 0): the chooser, cancelled
  s.Press(IDC_BACK);
  s.Press(IDC_BACK);
  s.Focus(IDC_BROWSE);
  s.Key(IDC_BROWSE, VK_RETURN);
  HWND chooser = WaitForWindow("Choose Destination Directory");
  ASSERT_NE(chooser, nullptr);
  PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
  for (int i = 0; i < 100 && IsWindow(chooser); ++i)
    Sleep(50);
  s.Settle();
  EXPECT_EQ(s.Text(IDC_DRIVE_EDIT), "Q");
  // On Cancel: the end
  s.Focus(IDCANCEL);
  s.Key(IDCANCEL, VK_RETURN);
  EXPECT_EQ(s.WaitForExit(), 0);
}

// Agree/Install over the install on H: with something in the way, each time named by the message while nothing on
// the stick changes and the wizard waits on the licence page: a folder of the user's where the application goes
// (twice), then the application started from the stick while another program holds an earlier row open without
// sharing its deletion (the application is named, without waiting out that hold), then a help viewer that holds the
// help file so. A folder of the user's with a set-aside name stays for the install, and is left alone by it.
void NameWhatIsInTheWay(InstallerSession &s) {
  auto before = Snapshot("H:\\Vellumine");
  ASSERT_EQ(before.size(), 32u);
  char program[] = "H:\\Vellumine\\VellumineMobile.exe", help[] = "H:\\Vellumine\\VellumineGuide.chm";
  const char *table = "H:\\Vellumine\\gbk2b5.bin", *moved = "H:\\VellumineMobile.exe.moved";
  auto expect = [&](const char *chineseFormat, const char *englishFormat, const char *named) {
    DWORD started = GetTickCount();
    s.Click(IDC_NEXT);
    HWND message = WaitForWindow("Quellory Install Message", 30000);
    ASSERT_NE(message, nullptr) << named;
    DWORD took = GetTickCount() - started;
    if (named == program)
      Screenshot(message, chineseFormat == InUseChineseFormat ? "message_in_use" : "message_in_the_way");
    ShownMessage m = TakeMessage();
    s.Settle();
    char chinese[256], english[256];
    snprintf(chinese, sizeof chinese, chineseFormat, named);
    snprintf(english, sizeof english, englishFormat, named);
    EXPECT_EQ(m.chinese, chinese);
    EXPECT_EQ(m.english, english);
    if (named != help) // a file held open is named once its hold has outlasted the retries
      EXPECT_LT(took, 3000u) << named << ": named without waiting out another file's hold";
    ExpectPage(s, 2);
  };
  DWORD bits = GetFileAttributesA(program);
  SetFileAttributesA(program, FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(MoveFileA(program, moved));
  ASSERT_TRUE(CreateDirectoryA(program, nullptr));
  FILE *mine = fopen("H:\\Vellumine\\VellumineMobile.exe\\mine.txt", "wb");
  ASSERT_NE(mine, nullptr);
  fclose(mine);
  for (int attempt = 0; attempt < 2; ++attempt) {
    expect(FolderInTheWayChineseFormat, FolderInTheWayEnglishFormat, program);
    EXPECT_EQ(FilesIn(program).size(), 1u) << "the user's folder as it was";
  }
  DeleteFileA("H:\\Vellumine\\VellumineMobile.exe\\mine.txt");
  ASSERT_TRUE(RemoveDirectoryA(program));
  ASSERT_TRUE(MoveFileA(moved, program));
  SetFileAttributesA(program, bits);
  EXPECT_TRUE(Snapshot("H:\\Vellumine") == before);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION app = {};
  ASSERT_TRUE(CreateProcessA(nullptr, program, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &app));
  WaitForInputIdle(app.hProcess, 10000);
  for (const char *used : {program, help}) {
    HANDLE viewer =
        CreateFileA(used == help ? help : table, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
    expect(InUseChineseFormat, InUseEnglishFormat, used);
    EXPECT_TRUE(Snapshot("H:\\Vellumine") == before) << used << ": every file's bytes and attributes as they were";
    CloseHandle(viewer);
    TerminateProcess(app.hProcess, 0);
    WaitForSingleObject(app.hProcess, 10000);
  }
  CloseHandle(app.hProcess);
  CloseHandle(app.hThread);
  ASSERT_TRUE(CreateDirectoryA("H:\\Vellumine\\ZiDef.dic.vel-old", nullptr));
  mine = fopen("H:\\Vellumine\\ZiDef.dic.vel-old\\mine.txt", "wb");
  ASSERT_NE(mine, nullptr);
  fclose(mine);
}

// One whole install onto H: with the given language, started by Return in the licence edit when asked; over the
// install there, after first has worked the licence page, when given, else onto an empty drive.
void InstallWith(int language, bool byReturnInLicence, bool pointerOutside,
                 void (*first)(InstallerSession &) = nullptr) {
  if (!first)
    ClearInstall("H");
  // Not where the wizard will appear (the last install left it at the centre): Wine may hear of the pointer entering
  // the new wizard only after the move below, and would then believe it still at the centre.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  ToLicence(s, "h", language);
  ExpectPage(s, 2);
  if (first)
    first(s);
  RECT wizard;
  GetWindowRect(s.wizard, &wizard);
  POINT from = pointerOutside ? POINT{wizard.right + 40, wizard.bottom + 40} : POINT{wizard.left + 30, wizard.top + 60};
  SetCursorPos(from.x, from.y);
  // Under Wine the move reaches the X server, and the wizard, in its own time: wait until it has, and until the
  // wizard has read the events of the pointer's earlier places (Wine trusts a position it heard of in the last
  // 100 ms over the X server's).
  POINT at = {};
  for (int i = 0; i < 80 && GetCursorPos(&at) && (at.x != from.x || at.y != from.y); ++i)
    Sleep(25);
  s.Settle();
  Sleep(300);
  s.Settle();
  DWORD started = GetTickCount();
  if (byReturnInLicence) {
    s.Focus(IDC_LICENCE_EDIT);
    s.Key(IDC_LICENCE_EDIT, VK_RETURN);
  } else {
    s.Click(IDC_NEXT);
  }
  HWND message = WaitForWindow("Quellory Install Message", 60000);
  DWORD elapsed = GetTickCount() - started;
  ASSERT_NE(message, nullptr);
  EXPECT_GE(elapsed, 4000u) << "the busy state lasts at least four whole seconds";
  POINT pointer,
      centre = {wizard.left + (wizard.right - wizard.left) / 2, wizard.top + (wizard.bottom - wizard.top) / 2};
  POINT expected = pointerOutside ? centre : from;
  for (int i = 0; i < 40 && GetCursorPos(&pointer) && (pointer.x != expected.x || pointer.y != expected.y); ++i)
    Sleep(25); // the wizard's move, too, reaches this process in its own time
  EXPECT_EQ(pointer.x, expected.x) << "pointer outside: " << pointerOutside;
  EXPECT_EQ(pointer.y, expected.y);
  EXPECT_FALSE(s.Visible(IDC_NEXT));
  EXPECT_FALSE(s.Visible(IDCANCEL));
  EXPECT_TRUE(s.Visible(IDC_PROGRESS));
  EXPECT_EQ(SendMessageA(s.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);
  if (language == 1)
    Screenshot(message, "result_success");
  ShownMessage m = TakeMessage();
  EXPECT_EQ(m.chinese, SuccessChinese);
  EXPECT_EQ(m.english, SuccessEnglish);
  EXPECT_EQ(s.WaitForExit(), 0);
  std::string settings = ReadFileText("H:\\Vellumine\\QuorbixUI.ini");
  EXPECT_NE(settings.find("\r\n[Config]\r\nUILanguage=" + std::to_string(language) + "\r\n\r\n"), std::string::npos);
  DWORD a = GetFileAttributesA("H:\\Vellumine\\VellumineMobile.exe");
  EXPECT_EQ(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// A copy of the installer with one flipped byte in its last entry (the application) writes nothing, leaves no
// folder, and says that it is damaged.
TEST(Install, DamagedCopyWritesNothing) {
  std::string copy = InstallerPath();
  copy = copy.substr(0, copy.find_last_of('\\') + 1) + "setup_damaged.exe";
  ASSERT_TRUE(CopyFileA(InstallerPath().c_str(), copy.c_str(), FALSE));
  HMODULE original = LoadLibraryExA(InstallerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(original, nullptr);
  HRSRC found = FindResourceA(original, MAKEINTRESOURCEA(109), "TEXT");
  ASSERT_NE(found, nullptr);
  const unsigned char *bytes = static_cast<const unsigned char *>(LockResource(LoadResource(original, found)));
  std::vector<unsigned char> entry(bytes, bytes + SizeofResource(original, found));
  FreeLibrary(original);
  entry[entry.size() / 2] ^= 0x01;
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  UpdateResourceA(update, "TEXT", MAKEINTRESOURCEA(109), 0, entry.data(), static_cast<DWORD>(entry.size()));
  ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
  ClearInstall("H");
  InstallerSession s;
  ASSERT_TRUE(s.Start(copy));
  ToLicence(s, "H");
  ShownMessage m = s.MessageAfter(IDC_NEXT, 60000);
  EXPECT_EQ(m.chinese, DamagedChinese);
  EXPECT_EQ(m.english, DamagedEnglish);
  EXPECT_EQ(s.WaitForExit(), 0);
  EXPECT_EQ(GetFileAttributesA("H:\\Vellumine"), INVALID_FILE_ATTRIBUTES) << "nothing written, no folder left";
}

// (Language 0, and a reinstall over an earlier install in another language, go through the real exe in the
// power-cut checks, tests/media/power_cut_check.sh, whose medium also records that every file is flushed.)
TEST(Install, EachWayToStart) {
  InstallWith(2, true, true);
  // Over that install, in another language, once what stood in the way has gone; left on H: for the check from the
  // Linux side, but for the user's folder that the install left alone.
  InstallWith(1, false, false, NameWhatIsInTheWay);
  EXPECT_TRUE(FilesIn("H:\\Vellumine", "*.vel*").empty());
  EXPECT_EQ(FilesIn("H:\\Vellumine\\ZiDef.dic.vel-old").size(), 1u) << "the user's folder as it was";
  DeleteFileA("H:\\Vellumine\\ZiDef.dic.vel-old\\mine.txt");
  EXPECT_TRUE(RemoveDirectoryA("H:\\Vellumine\\ZiDef.dic.vel-old"));
}

// How many wizards are open.
int Wizards() {
  int count = 0;
  for (HWND w = FindWindowA("#32770", "Vellumine Installer"); w;
       w = FindWindowExA(nullptr, w, "#32770", "Vellumine Installer"))
    count += IsWindowVisible(w) != 0;
  return count;
}

// Each medium gives its message and leaves nothing partial, and all through the install the wizard answers the
// system within 2 s (Windows ghosts a window that does not answer for 5 s), also on a slow stick whose one flush
// takes seconds. There the user also starts the installer a second time, asks to log off, and types ahead (Return,
// Return, Escape) while the install runs: the second copy ends at once, the logoff waits, and the result stays
// until a click made after it appeared.
TEST(Install, MediaGiveTheirMessagesLeaveNothingPartialAndTheWizardAnswers) {
  struct Fault {
    const char *variable, *drive;  // the drive, or the variable naming it
    const char *chinese, *english; // formats with the drive letter where they take one (the room: as below)
    bool gone; // pulled out: the file being written stays under its temporary name, for the next install to remove
    bool back; // the wizard goes back to the licence page
  } faults[] = {
      {nullptr, "Q", nullptr, "Cannot create folder! Please check folder path.", false, true},
      // read-only: Wine reports it as a denied access (Windows as write-protected: the in-process tests)
      {"VELLUMINE_READONLY_DRIVE", nullptr, FailureChinese, FailureEnglish, false, false},
      {"VELLUMINE_FULL_DRIVE", nullptr, NoRoomChineseFormat, NoRoomEnglishFormat, false, true},
      // FUSE media that lie: a counterfeit stick that keeps only its first MiB, failing flash
      {"VELLUMINE_COUNTERFEIT_DRIVE", nullptr, VerifyChinese, VerifyEnglish, false, false},
      {"VELLUMINE_FAILING_DRIVE", nullptr, VerifyChinese, VerifyEnglish, false, false},
      // a stick pulled out in the middle of the install, and a slow one with write caching on (a flush takes its
      // file's bytes at 0.5 MB/s)
      {"VELLUMINE_PULLED_DRIVE", nullptr, DriveGoneChineseFormat, DriveGoneEnglishFormat, true, false},
      {"VELLUMINE_SLOW_DRIVE", nullptr, SuccessChinese, SuccessEnglish, false, false},
  };
  for (const Fault &f : faults) {
    std::string drive = f.drive ? f.drive : FaultDrive(f.variable);
    if (drive.empty()) {
      std::cout << "skipped: no " << f.variable << " (scripts/test.sh could not mount that medium)\n";
      continue;
    }
    ClearInstall(drive);
    InstallerSession s;
    ASSERT_TRUE(s.Start());
    bool success = f.chinese == SuccessChinese;
    if (success) {
      InstallerSession second;
      ASSERT_TRUE(second.Launch());
      const char *way = getenv("VELLUMINE_WIN32_WAY"); // a 32-bit process starts slowly under emulation
      EXPECT_EQ(second.WaitForExit(way && !strcmp(way, "emulated") ? 5000 : 1000), 0) << "a second copy ends at once";
      EXPECT_EQ(Wizards(), 1);
    }
    ToLicence(s, drive.c_str());
    DWORD started = GetTickCount(), longest = 0;
    s.Click(IDC_NEXT);
    for (bool typed = !success;
         !FindWindowA("#32770", "Quellory Install Message") && GetTickCount() - started < 120000;) {
      DWORD asked = GetTickCount();
      DWORD_PTR result = 1;
      SendMessageTimeoutA(s.wizard, typed ? WM_NULL : WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &result);
      longest = std::max(longest, GetTickCount() - asked);
      if (!typed && GetTickCount() - started > 1500) {
        EXPECT_EQ(result, 0u) << "a logoff waits for the install";
        SetForegroundWindow(s.wizard);
        PressKeys({VK_RETURN, VK_RETURN, VK_ESCAPE});
        typed = true;
      }
      Sleep(500);
    }
    DWORD took = GetTickCount() - started;
    std::cout << drive << ": " << took << " ms, longest unanswered " << longest << " ms\n";
    EXPECT_LT(longest, 2000u) << drive << ": the longest the wizard left the system unanswered";
    EXPECT_EQ(SendMessageA(s.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0) == 100, success) << drive;
    if (success) {
      EXPECT_GE(took, 8000u) << "slow enough to tell";
      EXPECT_EQ(FilesIn(drive + ":\\Vellumine").size(), 32u);
    }
    ShownMessage m = TakeMessage(15000, success);
    if (success)
      EXPECT_TRUE(m.stayed) << "the keys typed ahead did not close the result";
    else
      s.Settle();
    // The room's figures, in tenths of a MiB: the room free as the drive tells it now, rounded down, and the room
    // needed as the message gives it, which must be more.
    int needed = 0, free = 0;
    char chinese[256] = "", english[256] = "";
    if (f.english == NoRoomEnglishFormat) {
      ULARGE_INTEGER room;
      ASSERT_TRUE(GetDiskFreeSpaceExA((drive + ":\\").c_str(), &room, nullptr, nullptr));
      free = static_cast<int>(room.QuadPart * 10 / 1048576);
      int whole = 0, tenth = 0;
      sscanf(m.english.c_str(), "Not enough room on %*c: the install needs %d.%d", &whole, &tenth);
      needed = whole * 10 + tenth;
      EXPECT_GT(needed, free) << m.english;
    }
    snprintf(chinese, sizeof chinese, f.chinese ? f.chinese : "", drive[0], needed / 10, needed % 10, free / 10,
             free % 10);
    snprintf(english, sizeof english, f.english, drive[0], needed / 10, needed % 10, free / 10, free % 10);
    EXPECT_EQ(m.english, english) << drive;
    if (f.chinese)
      EXPECT_EQ(m.chinese, chinese) << drive;
    if (f.back) {
      ExpectPage(s, 2);
      s.Click(IDCANCEL);
    }
    EXPECT_EQ(s.WaitForExit(), 0);
    // Nothing partial: no temporary file left, but where the stick has gone; no folder where nothing was written.
    EXPECT_EQ(FilesIn(drive + ":\\Vellumine", "*.vel~").size(), f.gone ? 1u : 0u) << drive;
    if (f.english == NoRoomEnglishFormat)
      EXPECT_EQ(GetFileAttributesA((drive + ":\\Vellumine").c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

// A logoff forced through (Windows sends WM_ENDSESSION, and may end the process once it returns) during a reinstall
// on the slow stick, over the install that the test above left there: the process is ended the moment the wizard
// answers, and the drive holds the earlier install as it was, or the whole new one.
TEST(Install, ForcedLogoffLeavesTheDriveWhole) {
  std::string drive = FaultDrive("VELLUMINE_SLOW_DRIVE"), dir = drive + ":\\Vellumine";
  if (drive.empty())
    GTEST_SKIP() << "no VELLUMINE_SLOW_DRIVE (scripts/test.sh could not mount a FUSE medium)";
  ASSERT_EQ(FilesIn(dir).size(), 32u) << "the earlier install";
  auto before = Snapshot(dir);
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  ToLicence(s, drive.c_str(), 1);
  s.Click(IDC_NEXT);
  DWORD started = GetTickCount();
  while (SendMessageA(s.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0) < 20 && GetTickCount() - started < 60000)
    Sleep(20); // the first files are written
  DWORD asked = GetTickCount();
  DWORD_PTR result = 0;
  SendMessageTimeoutA(s.wizard, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000, &result);
  DWORD answered = GetTickCount() - asked;
  TerminateProcess(s.process.hProcess, 1);
  WaitForSingleObject(s.process.hProcess, 10000);
  EXPECT_TRUE(FilesIn(dir, "*.vel*").empty());
  auto after = Snapshot(dir);
  std::cout << "WM_ENDSESSION answered after " << answered << " ms, the drive holding "
            << (after == before ? "the earlier install" : "the new one") << "\n";
  if (after != before) {
    EXPECT_EQ(after.size(), 32u);
    EXPECT_NE(ReadFileText((dir + "\\QuorbixUI.ini").c_str()).find("UILanguage=1"), std::string::npos)
        << "the whole install";
  }
}

TEST(Chooser, ShowsOnlyDirectoriesAndDrivesAndGivesTheDriveLetter) {
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  s.Click(IDC_BROWSE);
  HWND chooser = WaitForWindow("Choose Destination Directory");
  ASSERT_NE(chooser, nullptr);
  Sleep(300);
  const int visible[] = {1088 /* stc1 */, 1121 /* lst2 */, 1137 /* cmb2 */, IDOK,
                         IDCANCEL,        IDC_DIRS_LABEL,  IDC_DRIVES_LABEL};
  const int hidden[] = {1090, 1152, 1120, 1089, 1136, 1091, 1038, 1040};
  for (int id : visible)
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(chooser, id))) << id;
  for (int id : hidden)
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(chooser, id))) << id;
  Screenshot(chooser, "chooser");
  // Pick drive H: in the drive list, then OK.
  HWND drives = GetDlgItem(chooser, 1137);
  int count = static_cast<int>(SendMessageA(drives, CB_GETCOUNT, 0, 0)), pick = -1;
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = L"";
    SendMessageW(drives, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (text[0] == L'h' || text[0] == L'H' || (text[0] == L'[' && (text[2] == L'h' || text[2] == L'H')))
      pick = i;
  }
  ASSERT_GE(pick, 0) << "drive H: in the list";
  SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(pick), 0);
  SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(1137, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
  Sleep(200);
  PostMessageA(chooser, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && IsWindow(chooser); ++i)
    Sleep(50);
  s.Settle();
  EXPECT_EQ(s.Text(IDC_DRIVE_EDIT), "H");
  // Cancel changes nothing.
  s.Type(IDC_DRIVE_EDIT, "@");
  s.Click(IDC_BROWSE);
  chooser = WaitForWindow("Choose Destination Directory");
  ASSERT_NE(chooser, nullptr);
  PostMessageA(GetDlgItem(chooser, IDCANCEL), BM_CLICK, 0, 0);
  for (int i = 0; i < 100 && IsWindow(chooser); ++i)
    Sleep(50);
  s.Settle();
  EXPECT_EQ(s.Text(IDC_DRIVE_EDIT), "@");
  s.Click(IDCANCEL);
  EXPECT_EQ(s.WaitForExit(), 0);
}

// Whether the glyph font file has ink at (dx, dy) of the cell of the two-byte character at text: the cells are
// looked up as the file lays them out, 32 across, one bit a pixel, 1 for paper; GB2312 rows 1 to 7 from cell 0,
// the level-1 hanzi (rows 16 to 55) from cell 658, 94 a row.
bool FontInk(const char *text, int dx, int dy) {
  static const std::string font = ReadFileText("Z:" VELLUMINE_SOURCE_DIR "/payload/ChnBmp.bin");
  int row = static_cast<unsigned char>(text[0]) - 0xA0, pos = static_cast<unsigned char>(text[1]) - 0xA0;
  int cell = row >= 16 ? 658 + 94 * (row - 16) + pos - 1 : 94 * (row - 1) + pos - 1;
  size_t bit = (static_cast<size_t>(cell / 32 * 16 + dy) * 512 + cell % 32 * 16 + dx);
  return !(static_cast<unsigned char>(font[bit / 8]) & (0x80 >> bit % 8));
}

// The two-byte characters of text, and whether each is found, left to right, in what the screen shows of window's
// client area: at a place whose pixels under the font's ink for its bytes are all one colour and under its paper
// all another, each pixel of the 16x16 cell an n x n block. The colours and places of every glyph found are kept.
struct Found {
  int glyphs = 0, found = 0;
  std::set<unsigned> inks, papers;
  std::vector<RECT> cells;
};
Found FindGlyphs(HWND window, const std::string &text, int n = 1) {
  Found f;
  int width = 0, height = 0, from = 0, size = 16 * n;
  std::vector<unsigned> pixels = ClientPixels(window, &width, &height);
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] & 0x80))
      continue;
    ++f.glyphs;
    bool found = false;
    for (int y = 0; !found && y + size <= height; ++y)
      for (int x = from; !found && x + size <= width; ++x) {
        unsigned ink = 1u << 31, paper = 1u << 31;
        bool same = true;
        for (int dy = 0; same && dy < size; ++dy)
          for (int dx = 0; same && dx < size; ++dx) {
            unsigned &colour = FontInk(&text[i], dx / n, dy / n) ? ink : paper;
            unsigned seen = pixels[static_cast<size_t>(y + dy) * width + x + dx];
            same = colour == 1u << 31 || colour == seen;
            colour = seen;
          }
        if (same && ink != paper) {
          found = true;
          from = x + size;
          f.inks.insert(ink);
          f.papers.insert(paper);
          f.cells.push_back(RECT{x, y, x + size, y + size});
        }
      }
    f.found += found;
    ++i;
  }
  return f;
}

unsigned rgb(COLORREF c) { return static_cast<unsigned>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); }

// WCAG's contrast ratio of two 0xRRGGBB colours.
double Contrast(unsigned a, unsigned b) {
  auto luminance = [](unsigned c) {
    double sum = 0;
    const double weights[] = {0.0722, 0.7152, 0.2126}; // blue, green, red
    for (int k = 0; k < 3; ++k) {
      double v = (c >> (8 * k) & 0xFF) / 255.0;
      sum += weights[k] * (v <= 0.03928 ? v / 12.92 : pow((v + 0.055) / 1.055, 2.4));
    }
    return sum;
  };
  double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
  return x > y ? x / y : y / x;
}

// Where the wizard paints Chinese of its own: the drive page, the Chinese licence, and the message after
// Agree/Install (on drive Q:, which has no folder and gets none, it comes at once). look is given each, with the
// wizard or the message, after a screenshot named shot and the place.
enum Place { DrivePage, LicencePage, MessageBox };
void EachPlace(const std::string &shot, const std::function<void(Place, InstallerSession &, HWND)> &look) {
  InstallerSession s;
  ASSERT_TRUE(s.Start());
  s.Focus(IDC_DRIVE_EDIT);
  Screenshot(s.wizard, (shot + "_drive").c_str());
  look(DrivePage, s, s.wizard);
  ToLicence(s, "Q", 1);
  s.Press(IDC_ENGLISH);
  Screenshot(s.wizard, (shot + "_licence").c_str());
  look(LicencePage, s, s.wizard);
  s.Click(IDC_NEXT);
  HWND message = WaitForWindow("Quellory Install Message");
  ASSERT_NE(message, nullptr);
  Screenshot(message, (shot + "_message").c_str());
  look(MessageBox, s, message);
  EXPECT_EQ(TakeMessage().english, "Cannot create folder! Please check folder path.");
  s.Click(IDCANCEL);
  EXPECT_EQ(s.WaitForExit(), 0);
}

std::string FirstLicenceLine() {
  std::string licence = ReadFileText("Z:" VELLUMINE_SOURCE_DIR "/payload/LICENSE_cn.txt");
  return licence.substr(0, licence.find('\r'));
}

// Whether every glyph of text was found in window as the font's cells (n x n blocks a pixel) in ink on paper.
void ExpectGlyphs(HWND window, const std::string &text, unsigned ink, unsigned paper, int n = 1) {
  Found f = FindGlyphs(window, text, n);
  EXPECT_EQ(f.found, f.glyphs) << text;
  EXPECT_EQ(f.inks, std::set<unsigned>({ink})) << text;
  EXPECT_EQ(f.papers, std::set<unsigned>({paper})) << text;
}

// Under every ANSI code page (scripts/test.sh runs this again under 932, 936, 949 and 950): the first line of the
// Chinese licence and the message's Chinese line are the glyph font's cells for the bytes of the licence file and
// of the text table, whatever the system would make of those bytes; and every visible control gives a screen
// reader the real characters of its label.
TEST(Locale, ChineseIsPaintedFromTheFontForItsBytes) {
  std::cout << "ANSI code page " << GetACP() << "\n";
  const std::map<int, std::wstring> names = {{IDC_BACK, L"退一步 &Back"},
                                             {IDC_NEXT, L"同意/安装 Agree/Install"},
                                             {IDCANCEL, L"取消 Cancel"},
                                             {IDC_ENGLISH, L"English"},
                                             {IDC_PRODUCT_NAME, L"Vellumine"},
                                             {IDC_INSTALLER_NAME, L"Installer"},
                                             {IDC_BRAND_LABEL, L"《Quorbix》"},
                                             {IDC_INSTALLER_LABEL, L"安装程序"},
                                             {IDC_WEB_ADDRESS, L"www.vellumine.example"}};
  EachPlace("cp" + std::to_string(GetACP()), [&](Place place, InstallerSession &, HWND window) {
    if (place == MessageBox)
      ExpectGlyphs(GetDlgItem(window, IDC_MSG_TEXT), FolderChinese, 0, rgb(GetSysColor(COLOR_BTNFACE)));
    if (place != LicencePage)
      return;
    ExpectGlyphs(GetDlgItem(window, IDC_LICENCE_LIST), FirstLicenceLine(), 0, 0xFFFFFF);
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      wchar_t name[256] = L"", className[16] = L"";
      SendMessageW(c, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(name));
      GetClassNameW(c, className, 16);
      bool icon = (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && !_wcsicmp(className, L"Static");
      if (IsWindowVisible(c) && *name && !icon &&
          (!_wcsicmp(className, L"Button") || !_wcsicmp(className, L"Static"))) {
        auto expected = names.find(GetDlgCtrlID(c));
        EXPECT_EQ(expected == names.end() ? L"(none)" : expected->second, std::wstring(name)) << GetDlgCtrlID(c);
      }
    }
  });
}

// Under Windows' contrast schemes, in effect when the installer starts (as from logon): every Chinese glyph of the
// three places is the font's cell for its bytes, inked in the scheme's text colour on the scheme's background,
// with a contrast of at least 7:1 (WCAG's enhanced level).
TEST(Scheme, ChineseIsReadableUnderContrastSchemes) {
  const int Elements[] = {COLOR_WINDOW,       COLOR_WINDOWTEXT, COLOR_BTNFACE,       COLOR_BTNTEXT,
                          COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW,  COLOR_3DDKSHADOW,    COLOR_3DLIGHT,
                          COLOR_GRAYTEXT,     COLOR_HIGHLIGHT,  COLOR_HIGHLIGHTTEXT, COLOR_WINDOWFRAME};
  const int Count = sizeof Elements / sizeof Elements[0];
  struct Scheme {
    const char *name;
    COLORREF colours[Count]; // as Elements
  } schemes[] = {
      {"black",
       {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(128, 128, 128),
        RGB(255, 255, 255), RGB(192, 192, 192), RGB(63, 242, 63), RGB(26, 235, 255), RGB(0, 0, 0), RGB(255, 255, 255)}},
      {"white",
       {RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), RGB(128, 128, 128),
        RGB(0, 0, 0), RGB(192, 192, 192), RGB(96, 0, 0), RGB(55, 0, 110), RGB(255, 255, 255), RGB(0, 0, 0)}}};
  struct Restore { // the scheme the other tests see
    const int *elements;
    COLORREF colours[Count];
    ~Restore() { SetSysColors(Count, elements, colours); }
  } before = {Elements, {}};
  for (int i = 0; i < Count; ++i)
    before.colours[i] = GetSysColor(Elements[i]);
  for (const Scheme &scheme : schemes) {
    ASSERT_TRUE(SetSysColors(Count, Elements, scheme.colours)); // for the programs started from now on
    unsigned text = rgb(scheme.colours[3]), face = rgb(scheme.colours[2]), window = rgb(scheme.colours[0]);
    EXPECT_GE(Contrast(text, face), 7.0);
    EXPECT_GE(Contrast(text, window), 7.0);
    EachPlace(std::string("scheme_") + scheme.name, [&](Place place, InstallerSession &s, HWND at) {
      if (place == DrivePage)
        for (int id :
             {IDC_PATH_LABEL, IDC_BROWSE, IDC_USB_HINT, IDC_NEXT, IDCANCEL, IDC_BRAND_LABEL, IDC_INSTALLER_LABEL})
          ExpectGlyphs(s.Control(id), s.Text(id), text, face);
      if (place == LicencePage)
        ExpectGlyphs(s.Control(IDC_LICENCE_LIST), FirstLicenceLine(), text, window);
      if (place == MessageBox) {
        ExpectGlyphs(GetDlgItem(at, IDC_MSG_TEXT), FolderChinese, text, face);
        ExpectGlyphs(GetDlgItem(at, IDOK), LabelOk, text, face);
      }
    });
  }
}

// At the display scale the tests run under (scripts/test.sh: 100 %, then 150 % and 200 % in a server of their own,
// tests/e2e/at_display_scale.sh): the Chinese of the three places is the font's cells with each pixel an n x n
// block (n the whole number nearest DPI / 96, a half rounding down); each button's Chinese sits against its Latin
// as it does at 100 %, n times as far (the 100 % run writes its offsets for the others); and no label's ink reaches
// the edge of its control, where the system would have cut it.
TEST(Dpi, GlyphsAndLabelsFollowTheDisplayScale) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY), n = std::max(1, (dpi + 47) / 96);
  ReleaseDC(nullptr, screen);
  std::cout << "display at " << dpi << " DPI: glyph pixels " << n << " x " << n << "\n";
  unsigned face = rgb(GetSysColor(COLOR_BTNFACE));
  EachPlace("dpi" + std::to_string(dpi), [&](Place place, InstallerSession &s, HWND at) {
    if (place == LicencePage)
      ExpectGlyphs(s.Control(IDC_LICENCE_LIST), FirstLicenceLine(), 0, 0xFFFFFF, n);
    if (place == MessageBox)
      ExpectGlyphs(GetDlgItem(at, IDC_MSG_TEXT), FolderChinese, 0, face, n);
    if (place != DrivePage)
      return;
    std::string offsets;
    for (int id : {IDC_BROWSE, IDC_NEXT, IDCANCEL}) {
      Found f = FindGlyphs(s.Control(id), s.Text(id), n);
      ASSERT_EQ(f.found, f.glyphs) << s.Text(id);
      int width = 0, height = 0, band = (4 * dpi + 48) / 96; // the frame and its air
      std::vector<unsigned> pixels = ClientPixels(s.Control(id), &width, &height);
      double sum[2] = {0, 0}, count[2] = {0, 0}; // Chinese, Latin
      for (int y = band; y < height - band; ++y)
        for (int x = band; x < width - band; ++x)
          if (pixels[static_cast<size_t>(y) * width + x] == 0) {
            int latin = x >= f.cells.back().right;
            sum[latin] += y;
            count[latin] += 1;
          }
      ASSERT_GT(count[1], 0) << s.Text(id);
      offsets += std::to_string(sum[0] / count[0] - sum[1] / count[1]) + " ";
    }
    const char *file = "E:\\dpi96_offsets.txt";
    if (dpi == 96) {
      if (FILE *out = fopen(file, "w")) {
        fputs(offsets.c_str(), out);
        fclose(out);
      }
    } else {
      std::istringstream at96(ReadFileText(file)), here(offsets);
      for (double a, b; at96 >> a && here >> b;)
        EXPECT_NEAR(b, n * a, 1.0) << "the Chinese against the Latin, n times as at 100 %";
    }
    for (int id :
         {IDC_PATH_LABEL, IDC_BROWSE, IDC_USB_HINT, IDC_NEXT, IDCANCEL, IDC_BRAND_LABEL, IDC_INSTALLER_LABEL}) {
      int width = 0, height = 0, ink = 0;
      int e = id == IDC_BROWSE || id == IDC_NEXT || id == IDCANCEL ? (3 * dpi + 48) / 96 : 0; // inside the frame
      std::vector<unsigned> pixels = ClientPixels(s.Control(id), &width, &height);
      for (int y = e; y < height - e; ++y)
        for (int x = e; x < width - e; ++x)
          ink +=
              (y == e || y == height - 1 - e || x == width - 1 - e) && pixels[static_cast<size_t>(y) * width + x] == 0;
      EXPECT_EQ(ink, 0) << s.Text(id);
    }
  });
}

// A copy of the installer whose glyph font entry is damaged or too long ends with exit code 1 and shows nothing.
TEST(StartUp, FontFailuresEndWithExitCode1) {
  std::vector<unsigned char> tooLong(307201, 0xFF), stream(compressBound(307201));
  uLongf length = static_cast<uLongf>(stream.size());
  compress2(stream.data(), &length, tooLong.data(), static_cast<uLong>(tooLong.size()), 9);
  stream.resize(length);
  const unsigned char damaged[] = {0x78, 0xDA, 'd', 'a', 'm', 'a', 'g', 'e', 'd'};
  struct Variant {
    const char *name;
    const unsigned char *data;
    DWORD size;
  } variants[] = {{"setup_bad_font.exe", damaged, sizeof damaged},
                  {"setup_long_font.exe", stream.data(), static_cast<DWORD>(stream.size())}};
  for (const Variant &v : variants) {
    std::string copy = InstallerPath();
    copy = copy.substr(0, copy.find_last_of('\\') + 1) + v.name;
    ASSERT_TRUE(CopyFileA(InstallerPath().c_str(), copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    UpdateResourceA(update, "TEXT", MAKEINTRESOURCEA(110), 0, const_cast<unsigned char *>(v.data), v.size);
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    InstallerSession s;
    EXPECT_FALSE(s.Start(copy)) << "no wizard";
    EXPECT_EQ(s.WaitForExit(), 1) << v.name;
  }
}

} // namespace
