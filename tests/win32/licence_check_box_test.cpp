#include <gtest/gtest.h>

#include <string>

#include "glyph/mixed_text.h"
#include "paint_harness.h"
#include "resources/resource_ids.h"
#include "ui/check_box.h"
#include "ui/licence_item.h"
#include "ui/texts.h"

namespace {

class LicenceList : public ::testing::Test {
protected:
  HWND list = nullptr;
  void SetUp() override {
    EnsureGlyphFont();
    list = TestChild("LISTBOX", IDC_LICENCE_LIST, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOSEL, 300, 100);
  }
  void TearDown() override { DestroyWindow(list); }
  void PaintItem(Surface &s, UINT index, UINT state) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = IDC_LICENCE_LIST;
    item.itemID = index;
    item.itemData = static_cast<ULONG_PTR>(SendMessageA(list, LB_GETITEMDATA, index, 0)); // as the list hands it over
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = list;
    item.hDC = s.dc;
    item.rcItem = RECT{0, 0, s.width, s.height};
    DrawLicenceItem(&item, TestParent());
  }
};

TEST_F(LicenceList, LinesAtTwoTwoInBlackOnTheWindowColourWhateverTheState) {
  const char *line = "一、许可范围 Licence";
  AddLicenceLine(list, line);
  Surface expected(300, 23, GetSysColor(COLOR_WINDOW));
  DrawMixedText(expected.dc, 2, 2, line);
  for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED), static_cast<UINT>(ODS_FOCUS | ODS_SELECTED)}) {
    Surface drawn(300, 23, RGB(10, 20, 30));
    SetTextColor(drawn.dc, RGB(255, 0, 0));
    PaintItem(drawn, 0, state);
    EXPECT_EQ(FirstDifference(drawn, expected), "") << state;
    EXPECT_EQ(GetTextColor(drawn.dc), RGB(255, 0, 0)) << "the context is restored";
  }
  Surface background(300, 23, GetSysColor(COLOR_WINDOW));
  for (UINT index : {1u, 5u, static_cast<UINT>(-1)}) {
    Surface drawn(300, 23, RGB(10, 20, 30));
    PaintItem(drawn, index, 0);
    EXPECT_EQ(FirstDifference(drawn, background), "") << index;
  }
}

TEST_F(LicenceList, LongLinesAreCutAtACharacterBoundary) {
  std::string longLine = "A";
  for (int i = 0; i < 150; ++i)
    longLine += "汉";
  AddLicenceLine(list, longLine.c_str());
  // Each item holds the characters its bytes stand for, as a screen reader reads them (wide), whatever the code page.
  auto item = [this](int index) {
    wchar_t wide[600] = L"";
    char text[600] = "";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide));
    WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return std::string(text);
  };
  EXPECT_EQ(item(0), longLine.substr(0, 259));
  std::string even = "汉";
  for (int i = 0; i < 150; ++i)
    even += "字";
  AddLicenceLine(list, even.c_str());
  EXPECT_EQ(item(1), even.substr(0, 258)) << "a two-byte character is not split";
  // The 259 bytes drawn are the line's first 259: "A" and then 汉 after 汉 from x = 2 + the width of "A".
  Surface drawn(300, 23, RGB(10, 20, 30)), expected(300, 23, GetSysColor(COLOR_WINDOW));
  PaintItem(drawn, 0, 0);
  SIZE a = {};
  GetTextExtentPoint32A(expected.dc, "A", 1, &a);
  DrawMixedText(expected.dc, 2, 2, "A");
  for (int x = 2 + a.cx; x < 300; x += 16)
    DrawMixedText(expected.dc, x, 2, "汉");
  EXPECT_EQ(FirstDifference(drawn, expected), "");
  MEASUREITEMSTRUCT measure = {};
  measure.CtlID = IDC_LICENCE_LIST;
  EXPECT_TRUE(MeasureLicenceItem(&measure));
  EXPECT_EQ(measure.itemHeight, 23u);
  EXPECT_EQ(measure.itemWidth, 1024u);
  MEASUREITEMSTRUCT other = {};
  other.CtlID = 1018;
  EXPECT_FALSE(MeasureLicenceItem(&other));
  EXPECT_EQ(other.itemHeight, 0u);
}

class CheckBoxes : public ::testing::Test {
protected:
  void SetUp() override { EnsureGlyphFont(); }
  // The check box as PaintCheckBox should draw it: area, glyph, label at the given places.
  void Expected(Surface &s, RECT box, UINT state, int labelX, const char *label) {
    RECT area = {-2, -2, s.width + 2, s.height + 2};
    FillRect(s.dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    DrawFrameControl(s.dc, &box, DFC_BUTTON, state);
    DrawMixedText(s.dc, labelX, 1, label);
  }
};

TEST_F(CheckBoxes, GlyphStatesAndGeometry) {
  struct Case {
    int id;
    DWORD kind;
    WPARAM check;
    BOOL enabled;
    RECT box;
    UINT state;
    int labelX;
    const char *label;
  } cases[] = {
      {IDC_DESKTOP_ICON,
       BS_AUTOCHECKBOX,
       BST_UNCHECKED,
       TRUE,
       {2, 4, 17, 18},
       0,
       32,
       "建立桌面图标？  (Place an icon on Desktop)"},
      {IDC_DESKTOP_ICON,
       BS_AUTOCHECKBOX,
       BST_CHECKED,
       TRUE,
       {2, 4, 17, 18},
       DFCS_CHECKED,
       32,
       "建立桌面图标？  (Place an icon on Desktop)"},
      {IDC_AUTOSTART,
       BS_CHECKBOX,
       BST_CHECKED,
       FALSE,
       {2, 4, 17, 18},
       DFCS_CHECKED | DFCS_INACTIVE,
       32,
       "开机时自动启动？(Auto-start on boot)"},
      {IDC_AUTOSTART,
       BS_AUTO3STATE,
       BST_INDETERMINATE,
       TRUE,
       {-1, 1, 20, 24},
       0,
       41,
       "开机时自动启动？(Auto-start on boot)"},
      {IDC_AUTOSTART,
       BS_AUTORADIOBUTTON,
       BST_CHECKED,
       TRUE,
       {-1, 1, 20, 24},
       DFCS_BUTTONRADIO | DFCS_CHECKED,
       41,
       "开机时自动启动？(Auto-start on boot)"},
      {4242, BS_AUTOCHECKBOX, BST_UNCHECKED, TRUE, {2, 4, 17, 18}, 0, 32, "Own text"},
  };
  for (const Case &c : cases) {
    HWND box = TestChild("BUTTON", c.id, c.kind, 300, 26, "Own text");
    SendMessageA(box, BM_SETCHECK, c.check, 0);
    EnableWindow(box, c.enabled);
    Surface drawn(300, 26), expected(300, 26);
    PaintCheckBox(box, drawn.dc);
    Expected(expected, c.box, c.state, c.labelX, c.label);
    EXPECT_EQ(FirstDifference(drawn, expected), "") << c.id << " kind " << c.kind << " check " << c.check;
    DestroyWindow(box);
  }
}

TEST_F(CheckBoxes, FocusRectangleFollowsTheLabel) {
  HWND box = TestChild("BUTTON", IDC_DESKTOP_ICON, BS_AUTOCHECKBOX | WS_TABSTOP, 300, 26);
  SetForegroundWindow(TestParent());
  SetFocus(box);
  ASSERT_EQ(GetFocus(), box);
  Surface focused(300, 26), plain(300, 26);
  PaintCheckBox(box, focused.dc);
  SetFocus(TestParent());
  PaintCheckBox(box, plain.dc);
  int w = MeasureMixedText(plain.dc, LabelDesktopIcon).cx;
  RECT expected = {31, 0, 35 + w, 19};
  DrawFocusRect(plain.dc, &expected);
  EXPECT_EQ(FirstDifference(focused, plain), "");
  DestroyWindow(box);
}

TEST_F(CheckBoxes, SubclassedBoxPaintsItselfAndToggles) {
  HWND box = TestChild("BUTTON", IDC_AUTOSTART, BS_AUTOCHECKBOX | BS_NOTIFY, 300, 26);
  PrevCheckBoxProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CheckBoxProc)));
  ASSERT_NE(PrevCheckBoxProc, nullptr);
  SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "the platform still toggles it";
  SetFocus(TestParent());
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(box);
  Surface expected(300, 26);
  SelectObject(expected.dc, GetCurrentObject(dc, OBJ_FONT)); // the control's own font
  Expected(expected, RECT{2, 4, 17, 18}, DFCS_CHECKED, 32, LabelAutoStart);
  for (int x = 0; x < 200; x += 3)
    for (int y = 0; y < 26; y += 2)
      ASSERT_EQ(GetPixel(dc, x, y), expected.At(x, y)) << x << "," << y;
  ReleaseDC(box, dc);
  DestroyWindow(box);
}

} // namespace
