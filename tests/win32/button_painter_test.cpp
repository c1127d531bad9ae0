#include <gtest/gtest.h>

#include <vector>

#include "app/globals.h"
#include "glyph/mixed_text.h"
#include "paint_harness.h"
#include "ui/button_painter.h"
#include "ui/texts.h"

namespace {

struct Point {
  int x, y;
};
typedef std::vector<Point> Polyline;

// Draws polylines the way the platform's lines go: each segment paints its start point, not its end point.
void Rasterise(Surface &s, const Polyline &line, COLORREF colour) {
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    Point a = line[i], b = line[i + 1];
    int dx = (b.x > a.x) - (b.x < a.x), dy = (b.y > a.y) - (b.y < a.y);
    for (Point p = a; p.x != b.x || p.y != b.y; p.x += dx, p.y += dy)
      SetPixel(s.dc, p.x, p.y, colour);
  }
}

DRAWITEMSTRUCT Item(HWND control, HDC dc, RECT rc, UINT action, UINT state) {
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(control));
  item.itemAction = action;
  item.itemState = state;
  item.hwndItem = control;
  item.hDC = dc;
  item.rcItem = rc;
  return item;
}

class ButtonPainter : public ::testing::Test {
protected:
  void SetUp() override { EnsureGlyphFont(); }
  // Paints control id (window text text) into a fresh 100x26 surface.
  void Paint(Surface &s, int id, UINT action, UINT state, const char *text = "", int width = 100) {
    HWND control = TestChild("BUTTON", id, BS_OWNERDRAW, width, 26, text);
    RECT rc = {0, 0, width, 26};
    DRAWITEMSTRUCT item = Item(control, s.dc, rc, action, state);
    DrawButtonItem(&item, TestParent());
    DestroyWindow(control);
  }
};

TEST_F(ButtonPainter, WorkedExampleFrames) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 dark = GetSysColor(COLOR_BTNSHADOW), black = RGB(0, 0, 0);
  struct Case {
    int id;
    UINT state;
  } cases[] = {{4242, 0}, {4242, ODS_SELECTED}, {1001, 0}, {1001, ODS_SELECTED}};
  for (const Case &c : cases) {
    int pressed = (c.state & ODS_SELECTED) != 0;
    COLORREF a = pressed ? dark : light, b = pressed ? light : dark;
    Surface drawn(100, 26), expected(100, 26, face);
    // a label-less paint of 1001 is not possible: compare its frame outside the text band only
    Paint(drawn, c.id, ODA_DRAWENTIRE, c.state, "");
    Rasterise(expected, {{1, 24}, {1, 1}, {98, 1}}, a);
    Rasterise(expected, {{98, 1}, {98, 24}, {1, 24}}, b);
    Rasterise(expected, {{2, 23}, {2, 2}, {97, 2}}, a);
    Rasterise(expected, {{97, 2}, {97, 23}, {2, 23}}, b);
    if (c.id == DefaultButtonId) {
      Rasterise(expected, {{0, 25}, {0, 0}, {99, 0}, {99, 25}, {0, 25}}, black);
      Rasterise(expected, {{1, 24}, {98, 24}, {98, 1}}, black);
    } else {
      Rasterise(expected, {{1, 25}, {99, 25}, {99, 0}}, b);
    }
    for (int y = 0; y < 26; ++y)
      for (int x = 0; x < 100; ++x)
        if (y < 5 || y >= 22 || x < 4 || x >= 96)
          ASSERT_EQ(drawn.At(x, y), expected.At(x, y)) << c.id << " pressed " << pressed << " at " << x << "," << y;
    if (c.id == 4242)
      EXPECT_EQ(FirstDifference(drawn, expected), "") << "nothing but the frame";
  }
}

TEST_F(ButtonPainter, LabelOriginsAlignmentAndPressedShift) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  WizardPage = 0;
  struct Case {
    int id;
    const char *label;
    int centred, framed, width;
  } cases[] = {
      // the table's texts, written out here (this file's literals are GBK bytes, as the installer's)
      {1006, "安装路径： (Install Path)", 0, 0, 100},
      {1008, "路径 (Directories):", 0, 0, 100},
      {1010, "磁盘 (Drives):", 0, 0, 100},
      {1016, "Please replace @ with USB drive letter. 请将以上@换成USB盘号.", 0, 0, 100},
      {1017, "User Interface Language 用户界面语言", 1, 0, 100},
      {1012, "安装程序", 1, 0, 100},
      {1017, "User Interface Language 用户界面语言", 1, 0, 300},
  };
  for (const Case &c : cases)
    for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
      Surface drawn(c.width, 26), expected(c.width, 26, face);
      Paint(drawn, c.id, ODA_DRAWENTIRE, state, "", c.width);
      SIZE size = MeasureMixedText(expected.dc, c.label);
      int x = c.centred ? (c.width - size.cx) / 2 : 0, y = 5;
      if (state) {
        x += 2;
        y += 1;
      }
      DrawMixedText(expected.dc, x, y, c.label);
      EXPECT_EQ(FirstDifference(drawn, expected), "") << c.id << " state " << state;
      if (c.id == 1017 && c.width == 100)
        EXPECT_LT(x - (state ? 2 : 0), 0) << "a label wider than its control starts left of it";
    }
}

TEST_F(ButtonPainter, TextOriginOfTheWorkedExample) {
  // A window text 60 pixels wide in a framed 100x26 button starts at (20, 5), pressed at (22, 6).
  Surface probe(10, 10);
  std::string text = "汉汉汉";
  while (MeasureMixedText(probe.dc, text.c_str()).cx < 60)
    text += "i";
  ASSERT_EQ(MeasureMixedText(probe.dc, text.c_str()).cx, 60) << "the font's i does not add up to 60";
  for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
    Surface drawn(100, 26);
    Paint(drawn, 4242, ODA_DRAWENTIRE, state, text.c_str());
    int x = state ? 22 : 20, y = state ? 6 : 5;
    Surface glyphOnly(100, 26, GetSysColor(COLOR_BTNFACE));
    DrawMixedText(glyphOnly.dc, x, y, "汉");
    for (int py = 0; py < 16; ++py)
      for (int px = 0; px < 16; ++px)
        ASSERT_EQ(drawn.At(x + px, y + py), glyphOnly.At(x + px, y + py)) << state;
  }
}

TEST_F(ButtonPainter, FocusRectangleAndFocusOnlyNotifications) {
  Surface plain(100, 26), focused(100, 26);
  Paint(plain, 3, ODA_DRAWENTIRE, 0);
  Paint(focused, 3, ODA_DRAWENTIRE, ODS_FOCUS);
  int changed = 0;
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 100; ++x)
      if (plain.At(x, y) != focused.At(x, y)) {
        ++changed;
        bool onRect = ((x == 10 || x == 89) && y >= 3 && y < 23) || ((y == 3 || y == 22) && x >= 10 && x < 90);
        EXPECT_TRUE(onRect) << x << "," << y;
      }
  EXPECT_GT(changed, 40);
  // Gaining the focus alone inverts the rectangle over the picture; losing it draws nothing.
  Surface gain(100, 26, RGB(0, 128, 0)), expected(100, 26, RGB(0, 128, 0)), lose(100, 26, RGB(0, 128, 0));
  Paint(gain, 3, ODA_FOCUS, ODS_FOCUS);
  RECT r = {10, 3, 90, 23};
  DrawFocusRect(expected.dc, &r);
  EXPECT_EQ(FirstDifference(gain, expected), "");
  Paint(lose, 3, ODA_FOCUS, 0);
  Surface untouched(100, 26, RGB(0, 128, 0));
  EXPECT_EQ(FirstDifference(lose, untouched), "");
}

TEST_F(ButtonPainter, BlankLabelsAndOtherControls) {
  Surface blank(100, 26, RGB(1, 2, 3)), untouched(100, 26, RGB(1, 2, 3));
  Paint(blank, 1020, ODA_DRAWENTIRE, ODS_FOCUS | ODS_SELECTED, "x");
  EXPECT_EQ(FirstDifference(blank, untouched), "") << "1020 is never painted";
  Surface wait(100, 26, RGB(1, 2, 3)), face(100, 26, GetSysColor(COLOR_BTNFACE));
  Paint(wait, 1021, ODA_DRAWENTIRE, 0, "Wait");
  EXPECT_EQ(FirstDifference(wait, face), "") << "1021 is filled only";
  // Not a button: nothing.
  Surface other(100, 26, RGB(1, 2, 3));
  HWND control = TestChild("BUTTON", 3, BS_OWNERDRAW, 100, 26);
  RECT rc = {0, 0, 100, 26};
  DRAWITEMSTRUCT item = Item(control, other.dc, rc, ODA_DRAWENTIRE, 0);
  item.CtlType = ODT_LISTBOX;
  DrawButtonItem(&item, TestParent());
  DestroyWindow(control);
  EXPECT_EQ(FirstDifference(other, untouched), "");
  // A window text of 80 bytes or more shows its first 79.
  std::string long80(80, 'W'), first79(79, 'W');
  Surface cut(100, 26), expected(100, 26);
  Paint(cut, 1013, ODA_DRAWENTIRE, 0, long80.c_str(), 100);
  Paint(expected, 1013, ODA_DRAWENTIRE, 0, first79.c_str(), 100);
  EXPECT_EQ(FirstDifference(cut, expected), "");
}

// A framed label far too wide for its frame is narrowed to 60 % of the font's width, rounded up, no further, and
// clipped to the inside of the frame: drawn as with that font, and nothing of it outside.
TEST_F(ButtonPainter, TooWideLabelStopsNarrowingAtTheFloorAndIsClipped) {
  std::string label(40, 'W');
  Surface drawn(100, 26), frameOnly(100, 26), expected(100, 26);
  Paint(drawn, 4242, ODA_DRAWENTIRE, 0, label.c_str());
  Paint(frameOnly, 4242, ODA_DRAWENTIRE, 0, "");
  Paint(expected, 4242, ODA_DRAWENTIRE, 0, "");
  TEXTMETRICA metrics;
  LOGFONTA shape;
  GetTextMetricsA(expected.dc, &metrics);
  GetObjectA(GetCurrentObject(expected.dc, OBJ_FONT), sizeof shape, &shape);
  shape.lfHeight = metrics.tmHeight;
  shape.lfWidth = (metrics.tmAveCharWidth * 60 + 99) / 100;
  HFONT floor = CreateFontIndirectA(&shape);
  HGDIOBJ old = SelectObject(expected.dc, floor);
  IntersectClipRect(expected.dc, 4, 3, 96, 23);
  SetTextColor(expected.dc, GetSysColor(COLOR_BTNTEXT));
  int width = MeasureMixedText(expected.dc, label.c_str()).cx;
  EXPECT_GT(width, 92) << "too wide even at the floor";
  DrawMixedText(expected.dc, (100 - width) / 2, 5, label.c_str());
  SelectObject(expected.dc, old);
  DeleteObject(floor);
  EXPECT_EQ(FirstDifference(drawn, expected), "");
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 100; ++x)
      if (x < 4 || x >= 96 || y < 3 || y >= 23)
        ASSERT_EQ(drawn.At(x, y), frameOnly.At(x, y)) << "outside the frame at " << x << "," << y;
}

TEST_F(ButtonPainter, ScreenshotOfARowOfButtons) {
  // Back, Agree/Install (default, focused), Cancel, Browse pressed, OK and two labels, on the button face.
  Surface row(600, 80, GetSysColor(COLOR_BTNFACE));
  const struct {
    int id;
    UINT state;
    int x, y, w;
  } buttons[] = {
      {3, 0, 10, 10, 110}, {1001, ODS_FOCUS, 128, 10, 160}, {2, 0, 296, 10, 110},   {1003, ODS_SELECTED, 414, 10, 120},
      {1, 0, 10, 46, 110}, {1006, 0, 140, 48, 200},         {1012, 0, 350, 48, 120}};
  WizardPage = 2;
  for (const auto &b : buttons) {
    HWND control = TestChild("BUTTON", b.id, BS_OWNERDRAW, b.w, 26);
    RECT rc = {b.x, b.y, b.x + b.w, b.y + 26};
    DRAWITEMSTRUCT item = Item(control, row.dc, rc, ODA_DRAWENTIRE, b.state);
    DrawButtonItem(&item, TestParent());
    DestroyWindow(control);
  }
  WizardPage = 0;
  SaveSurface(row, "buttons");
}

} // namespace
