#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/globals.h"
#include "glyph/mixed_text.h"
#include "paint_harness.h"
#include "resources/resource_ids.h"
#include "ui/message_dialog.h"
#include "ui/message_layout.h"
#include "ui/texts.h"

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

// The layout computed from the same measurements and metrics, taken afresh from the open dialog.
MessageLayout Expected(HWND dialog, const char *chinese, const char *english, int buttons) {
  return ComputeMessageLayout(MeasureMessageLayout(dialog, chinese, english, buttons));
}

void CheckLayout(HWND dialog, const char *chinese, const char *english, int buttons) {
  MessageLayout want = Expected(dialog, chinese, english, buttons);
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
  char stored[200];
  GetDlgItemTextA(dialog, IDC_MSG_TEXT, stored, sizeof stored);
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

TEST_F(MessageDialog, ChineseLineOf81BytesHasNoMargin) {
  std::string chinese(81, 'M');
  std::string shorter(80, 'M');
  int wide81 = 0, wide80 = 0;
  Show(chinese.c_str(), "", 0, [&](HWND d) {
    CheckLayout(d, chinese.c_str(), "", 0);
    RECT r;
    GetWindowRect(d, &r);
    wide81 = r.right - r.left;
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  Show(shorter.c_str(), "", 0, [&](HWND d) {
    RECT r;
    GetWindowRect(d, &r);
    wide80 = r.right - r.left;
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_GT(wide80, 0);
  EXPECT_GT(wide81, 0);
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
