#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "app/globals.h"
#include "glyph/mixed_text.h"
#include "paint_harness.h"
#include "resources/resource_ids.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"
#include "wizard/folder_chooser.h"

namespace {

// Runs check on the message dialog once it is open, then closes it with what close does.
std::function<void(HWND)> OnOpen;
HWND OpenDialog;

HWND FindMessageDialog() { return FindWindowA(nullptr, "Quellory Install Message"); }

void CALLBACK Poll(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindMessageDialog();
  if (!dialog || !IsWindowVisible(dialog))
    return;
  KillTimer(nullptr, id);
  OpenDialog = dialog;
  OnOpen(dialog);
}

int Show(const char *chinese, const char *english, int buttons, std::function<void(HWND)> check) {
  OnOpen = check;
  OpenDialog = nullptr;
  SetTimer(nullptr, 0, 50, Poll);
  return ShowMessageDialog(chinese, english, buttons, nullptr);
}

RECT ChildRect(HWND dialog, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
  return r;
}

// The text's width in the dialog's own drawing context: 16 for each two-byte character, each single-byte
// character as wide as the font makes it.
int Width(HDC dc, const char *text) {
  int width = 0;
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
    SIZE one = {};
    if (*p >= 0x80 && p[1])
      width += 16, ++p;
    else if (GetTextExtentPoint32A(dc, reinterpret_cast<const char *>(p), 1, &one))
      width += one.cx;
  }
  return width;
}

struct Want {
  int x, y, width, height, firstId, secondId, firstX, firstY, secondX, secondY, englishHeight;
};

// The layout's rules, evaluated here from the open dialog's metrics: W = max(cw, ew) + 2 x frame, plus 2 x bh
// when the Chinese line is shorter than 81 bytes; H = 3 x (16 + bh) + 2 x eh; the window and the buttons are
// centred on W and H, the window at least 2 (one button) or 3 (two) button widths wide.
Want Expected(HWND dialog, const char *chinese, const char *english, int buttons) {
  HDC dc = GetDC(dialog);
  SIZE e = {};
  if (*english)
    GetTextExtentPoint32A(dc, english, static_cast<int>(strlen(english)), &e);
  int cw = Width(dc, chinese);
  ReleaseDC(dialog, dc);
  RECT button;
  GetClientRect(GetDlgItem(dialog, buttons == 4 ? IDYES : IDOK), &button);
  int bw = button.right, bh = button.bottom;
  int w = (cw > e.cx ? cw : e.cx) + 2 * GetSystemMetrics(SM_CXDLGFRAME) + (strlen(chinese) < 81 ? 2 * bh : 0);
  int h = 3 * (16 + bh) + 2 * e.cy;
  int least = (buttons == 0 ? 2 : 3) * bw;
  Want want = {(GetSystemMetrics(SM_CXSCREEN) - w) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - h) / 2,
               w > least ? w : least,
               h + GetSystemMetrics(SM_CYCAPTION),
               IDOK,
               0,
               (w - bw) / 2,
               h - 2 * bh,
               0,
               0,
               2 * e.cy};
  if (buttons != 0) {
    want.firstId = buttons == 4 ? IDYES : IDOK;
    want.secondId = buttons == 4 ? IDNO : IDCANCEL;
    want.firstX = (w - 7 * bw / 3) / 2;
    want.secondX = want.firstX + 4 * bw / 3;
    want.firstY = want.secondY = h - 3 * bh / 2;
  }
  return want;
}

void CheckLayout(HWND dialog, const char *chinese, const char *english, int buttons) {
  Want want = Expected(dialog, chinese, english, buttons);
  RECT window;
  GetWindowRect(dialog, &window);
  EXPECT_EQ(window.left, want.x);
  EXPECT_EQ(window.top, want.y);
  EXPECT_EQ(window.right - window.left, want.width);
  EXPECT_EQ(window.bottom - window.top, want.height);
  RECT first = ChildRect(dialog, want.firstId);
  EXPECT_EQ(first.left, want.firstX);
  EXPECT_EQ(first.top, want.firstY);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, want.firstId)));
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
    EXPECT_EQ(IsWindowVisible(GetDlgItem(dialog, id)) != 0, id == want.firstId || id == want.secondId) << id;
  if (want.secondId) {
    RECT second = ChildRect(dialog, want.secondId);
    EXPECT_EQ(second.left, want.secondX);
    EXPECT_EQ(second.top, want.secondY);
  }
  RECT client;
  GetClientRect(dialog, &client);
  RECT text = ChildRect(dialog, IDC_MSG_TEXT);
  EXPECT_EQ(text.top, 10);
  EXPECT_EQ(text.bottom - text.top, 48);
  EXPECT_EQ(text.right - text.left, client.right);
  wchar_t wide[200] = L""; // the characters a screen reader gets, whatever the ANSI code page
  char stored[400] = "";
  GetDlgItemTextW(dialog, IDC_MSG_TEXT, wide, 200);
  WideCharToMultiByte(936, 0, wide, -1, stored, sizeof stored, nullptr, nullptr);
  EXPECT_EQ(std::string(stored), std::string(chinese));
  HWND englishLine = GetDlgItem(dialog, IDC_MSG_ENGLISH);
  EXPECT_EQ(IsWindowVisible(englishLine) != 0, *english != 0);
  if (*english) {
    RECT e = ChildRect(dialog, IDC_MSG_ENGLISH);
    EXPECT_EQ(e.top, 63);
    EXPECT_EQ(e.bottom - e.top, want.englishHeight);
  }
}

class MessageDialog : public ::testing::Test {
protected:
  void SetUp() override { EnsureGlyphFont(); }
};

TEST_F(MessageDialog, LaysItselfOutForEachButtonSet) {
  // The longest path each message that names a file can name: each line whole (a label shows 79 bytes). A file in
  // use is an installed one; a folder in the way or a file left over may have the install's own name beside it.
  const char *longest = "E:\\Vellumine\\VellumineUnInstall.exe", *own = "E:\\Vellumine\\Quorbix_Guide_en.htm.vel-old2";
  char InUseChinese[80], InUseEnglish[128], WayChinese[80], WayEnglish[128], LeftChinese[80], LeftEnglish[128];
  ASSERT_LT(snprintf(InUseChinese, sizeof InUseChinese, InUseChineseFormat, longest), 80);
  ASSERT_LT(snprintf(InUseEnglish, sizeof InUseEnglish, InUseEnglishFormat, longest), 128);
  ASSERT_LT(snprintf(WayChinese, sizeof WayChinese, FolderInTheWayChineseFormat, own), 80);
  ASSERT_LT(snprintf(WayEnglish, sizeof WayEnglish, FolderInTheWayEnglishFormat, own), 128);
  ASSERT_LT(snprintf(LeftChinese, sizeof LeftChinese, LeftOverChineseFormat, own), 80);
  ASSERT_LT(snprintf(LeftEnglish, sizeof LeftEnglish, LeftOverEnglishFormat, own), 128);
  // The room at its widest figures (a maker's payload of tens of MB), the drive's messages with their letter.
  char RoomChinese[80], RoomEnglish[128], LockedChinese[80], LockedEnglish[128], GoneChinese[80], GoneEnglish[128];
  ASSERT_LT(snprintf(RoomChinese, sizeof RoomChinese, NoRoomChineseFormat, 'F', 44, 9, 12, 3), 80);
  ASSERT_LT(snprintf(RoomEnglish, sizeof RoomEnglish, NoRoomEnglishFormat, 'F', 44, 9, 12, 3), 128);
  snprintf(RoomChinese, sizeof RoomChinese, NoRoomChineseFormat, 'F', 4, 7, 1, 2); // as this build's payload
  snprintf(RoomEnglish, sizeof RoomEnglish, NoRoomEnglishFormat, 'F', 4, 7, 1, 2);
  ASSERT_LT(snprintf(LockedChinese, sizeof LockedChinese, WriteProtectedChineseFormat, 'G'), 80);
  ASSERT_LT(snprintf(LockedEnglish, sizeof LockedEnglish, WriteProtectedEnglishFormat, 'G'), 128);
  ASSERT_LT(snprintf(GoneChinese, sizeof GoneChinese, DriveGoneChineseFormat, 'E'), 80);
  ASSERT_LT(snprintf(GoneEnglish, sizeof GoneEnglish, DriveGoneEnglishFormat, 'E'), 128);
  struct Case {
    const char *chinese, *english;
    int buttons;
    const char *shot;
  } cases[] = {
      {SuccessChinese, SuccessEnglish, 0, "message_ok"},
      {FolderChinese, "Cannot create folder! Please check folder path.", 0, "message_long"},
      {"是否继续安装？", "Go on with the install?", 4, "message_yes_no"},
      {"是否继续安装？", "Go on with the install?", 1, "message_ok_cancel"},
      {MemoryChinese, "", 0, nullptr},
      {VerifyChinese, VerifyEnglish, 0, "message_verify"},
      {InUseChinese, InUseEnglish, 0, nullptr},
      {WayChinese, WayEnglish, 0, nullptr},
      {LeftChinese, LeftEnglish, 0, nullptr},
      {RoomChinese, RoomEnglish, 0, "message_no_room"},
      {DamagedChinese, DamagedEnglish, 0, "message_damaged"},
      {LockedChinese, LockedEnglish, 0, "message_write_protected"},
      {GoneChinese, GoneEnglish, 0, "message_drive_gone"},
  };
  for (const Case &c : cases) {
    int result = Show(c.chinese, c.english, c.buttons, [&](HWND dialog) {
      CheckLayout(dialog, c.chinese, c.english, c.buttons);
      if (c.shot) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SaveScreenshot(dialog, c.shot);
      }
      PostMessageA(dialog, WM_COMMAND, c.buttons == 4 ? IDNO : IDOK, 0);
    });
    ASSERT_NE(OpenDialog, nullptr) << c.english;
    EXPECT_EQ(result, c.buttons == 4 ? IDNO : IDOK);
  }
}

// Browse where the common dialogs cannot be loaded: a message says so, and the wizard goes on.
TEST_F(MessageDialog, BrowseWithoutTheCommonDialogsSaysSo) {
  ChooserLibrary = "vellumine-missing.dll";
  std::string english;
  OnOpen = [&](HWND dialog) {
    english = MessageEnglishText;
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  };
  SetTimer(nullptr, 0, 50, Poll);
  ChooseDestination(nullptr);
  ChooserLibrary = "comdlg32.dll";
  EXPECT_EQ(english, ChooserEnglish);
}

TEST_F(MessageDialog, ChineseLineOf81BytesHasNoMargin) {
  std::string chinese(81, 'M');
  std::string shorter(80, 'M');
  int wide81 = 0, wide80 = 0, buttonHeight = 0;
  Show(chinese.c_str(), "", 0, [&](HWND d) {
    CheckLayout(d, chinese.c_str(), "", 0);
    RECT r;
    GetWindowRect(d, &r);
    wide81 = r.right - r.left;
    GetClientRect(GetDlgItem(d, IDOK), &r);
    buttonHeight = r.bottom;
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  Show(shorter.c_str(), "", 0, [&](HWND d) {
    RECT r;
    GetWindowRect(d, &r);
    wide80 = r.right - r.left;
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  // The 80-byte line keeps its side margins of one button height; the 81-byte one, one 'M' wider, has none.
  HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HDC dc = GetDC(owner);
  SIZE m = {};
  GetTextExtentPoint32A(dc, "M", 1, &m);
  ReleaseDC(owner, dc);
  DestroyWindow(owner);
  EXPECT_GT(wide80, 0);
  EXPECT_EQ(wide80 - wide81, 2 * buttonHeight - m.cx);
}

TEST_F(MessageDialog, EscapeAndCloseReturnCancelAndOtherCommandsAreIgnored) {
  // Escape in a Yes/No dialog
  int result = Show("是否继续安装？", "Go on?", 4, [](HWND d) {
    PostMessageA(d, WM_COMMAND, 3, 0);
    PostMessageA(d, WM_COMMAND, 4, 0);
    PostMessageA(d, WM_COMMAND, 5, 0);
    HWND yes = GetDlgItem(d, IDYES);
    PostMessageA(yes, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  });
  EXPECT_EQ(result, IDCANCEL);
  result = Show(SuccessChinese, SuccessEnglish, 0, [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(result, IDCANCEL);
  // Commands 1 and 2 close it whichever set is shown.
  result = Show(SuccessChinese, SuccessEnglish, 4, [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(result, IDOK);
}

TEST_F(MessageDialog, EnglishLineIsCutTo127Bytes) {
  std::string english(200, 'e');
  Show(SuccessChinese, english.c_str(), 0, [](HWND d) {
    char text[300];
    GetDlgItemTextA(d, IDC_MSG_ENGLISH, text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(127, 'e'));
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(std::string(MessageEnglishText), std::string(127, 'e'));
  Show(SuccessChinese, nullptr, 0, [](HWND d) {
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_MSG_ENGLISH)));
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
}

} // namespace
