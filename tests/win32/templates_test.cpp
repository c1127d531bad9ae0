// The dialog templates as the executable carries them: every control's class, style, extended style, position in
// dialog units, stored text and order, read from the raw resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

struct Control {
  int id;
  std::string className;
  DWORD style, exStyle;
  int x, y, w, h;
  std::string text; // the characters stored, as GBK bytes: texts are stored as the characters they mean
};

struct Template {
  DWORD style;
  int x, y, w, h;
  std::string title, font;
  int points;
  std::vector<Control> controls;
};

const WORD *Align(const WORD *p) {
  return reinterpret_cast<const WORD *>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~static_cast<ULONG_PTR>(3));
}

// A string or ordinal field; ordinals of the predefined classes come back as the class names.
const WORD *ReadName(const WORD *p, std::string &out) {
  static const char *const atoms[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
  out.clear();
  if (*p == 0xFFFF) {
    WORD ordinal = p[1];
    out = ordinal >= 0x80 && ordinal <= 0x85 ? atoms[ordinal - 0x80] : "#" + std::to_string(ordinal);
    return p + 2;
  }
  std::wstring wide;
  for (; *p; ++p)
    wide += static_cast<wchar_t>(*p);
  char gbk[512] = "";
  WideCharToMultiByte(936, 0, wide.c_str(), -1, gbk, sizeof gbk, nullptr, nullptr);
  out = gbk;
  return p + 1;
}

Template Load(int id) {
  Template t = {};
  HRSRC found = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
  const WORD *p = static_cast<const WORD *>(LockResource(LoadResource(GetModuleHandleA(nullptr), found)));
  bool extended = p[0] == 1 && p[1] == 0xFFFF;
  int count;
  std::string ignored;
  if (extended) {
    t.style = *reinterpret_cast<const DWORD *>(p + 6);
    count = p[8];
    p += 9;
  } else {
    t.style = *reinterpret_cast<const DWORD *>(p);
    count = p[4];
    p += 5;
  }
  const short *box = reinterpret_cast<const short *>(p);
  t.x = box[0], t.y = box[1], t.w = box[2], t.h = box[3];
  p = ReadName(ReadName(p + 4, ignored), ignored); // menu, class
  p = ReadName(p, t.title);
  t.points = *p++;
  if (extended)
    p += 2; // weight, italic and character set
  p = ReadName(p, t.font);
  for (int i = 0; i < count; ++i) {
    Control c = {};
    p = Align(p);
    const DWORD *d = reinterpret_cast<const DWORD *>(p);
    if (extended) {
      c.exStyle = d[1], c.style = d[2];
      box = reinterpret_cast<const short *>(p + 6);
      c.id = static_cast<int>(*reinterpret_cast<const DWORD *>(p + 10));
      p += 12;
    } else {
      c.style = d[0], c.exStyle = d[1];
      box = reinterpret_cast<const short *>(p + 4);
      c.id = static_cast<short>(p[8]);
      p += 9;
    }
    c.x = box[0], c.y = box[1], c.w = box[2], c.h = box[3];
    p = ReadName(p, c.className);
    p = ReadName(p, c.text);
    p += 1 + *p / 2; // creation data
    t.controls.push_back(c);
  }
  return t;
}

const DWORD OD = BS_OWNERDRAW, V = WS_VISIBLE, D = WS_DISABLED, T = WS_TABSTOP, B = WS_BORDER, C = WS_CHILD;
const DWORD ListStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOSEL | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | B | T;

void ExpectControls(int templateId, const std::vector<Control> &expected) {
  Template t = Load(templateId);
  ASSERT_EQ(t.controls.size(), expected.size()) << templateId;
  for (size_t i = 0; i < expected.size(); ++i) {
    const Control &e = expected[i], &c = t.controls[i];
    SCOPED_TRACE(std::to_string(templateId) + " control " + std::to_string(e.id));
    EXPECT_EQ(c.id, e.id);
    EXPECT_EQ(_stricmp(c.className.c_str(), e.className.c_str()), 0) << c.className; // windres upper-cases it
    EXPECT_EQ(c.style, e.style | C) << std::hex << c.style << " " << (e.style | C);
    EXPECT_EQ(c.exStyle, e.exStyle);
    EXPECT_EQ(std::vector<int>({c.x, c.y, c.w, c.h}), std::vector<int>({e.x, e.y, e.w, e.h}));
    EXPECT_EQ(c.text, e.text);
  }
}

const DWORD Popup = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

TEST(Templates, Wizard) {
  Template t = Load(IDD_WIZARD);
  EXPECT_EQ(t.style, Popup | V);
  EXPECT_EQ(std::vector<int>({t.x, t.y, t.w, t.h}), std::vector<int>({30, 14, 455, 217}));
  EXPECT_EQ(t.title, "Vellumine Installer");
  EXPECT_EQ(t.font, "MS Sans Serif");
  EXPECT_EQ(t.points, 8);
  ExpectControls(
      IDD_WIZARD,
      {
          {1002, "EDIT", V | B | T | ES_AUTOHSCROLL, 0, 167, 43, 169, 12, ""},
          {1038, "EDIT", B | T | ES_READONLY | ES_AUTOHSCROLL, 0, 182, 43, 169, 12, ""},
          {1016, "BUTTON", OD | D, 0, 166, 84, 262, 16, "Please replace @ with USB drive letter."},
          {1010, "BUTTON", BS_AUTOCHECKBOX | BS_NOTIFY | T, 0, 160, 154, 141, 16, "English"},
          {1014, "EDIT", ES_MULTILINE | ES_READONLY | WS_VSCROLL | B | T, 0, 146, 10, 296, 137, ""},
          {1019, "LISTBOX", ListStyle, 0, 131, 10, 321, 139, ""},
          {1003, "BUTTON", OD | V | T, 0, 348, 42, 76, 16, "改变 Browse ...."},
          {1006, "BUTTON", OD | V | D, 0, 167, 22, 188, 16, "安装路径："},
          {3, "BUTTON", OD | V | T, 0, 158, 176, 68, 16, "&Back"},
          {1001, "BUTTON", OD | V | T, 0, 234, 176, 106, 16, "安装 Install"},
          {2, "BUTTON", OD | V | T, 0, 348, 176, 68, 16, "取消 Cancel"},
          {166, "STATIC", V | SS_CENTER | WS_GROUP, 0, 8, 123, 112, 8, "Vellumine"},
          {102, "STATIC", V | SS_ICON, WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE, 51, 16, 20, 20, "#103"},
          {108, "STATIC", V | B, WS_EX_STATICEDGE | WS_EX_CLIENTEDGE, 127, 22, 1, 178, ""},
          {169, "STATIC", V | SS_CENTER | WS_GROUP, 0, 8, 135, 112, 8, "Installer"},
          {1009, "BUTTON", OD | V | D, 0, 8, 62, 112, 16, "【中文阅读】"},
          {1011, "BUTTON", OD | D, 0, 8, 80, 112, 16, "中文编辑"},
          {1012, "BUTTON", OD | V | D, 0, 8, 98, 112, 16, "安装程序"},
          {1017, "BUTTON", OD | D, 0, 155, 80, 230, 16, "User Interface Language 用户界面语言"},
          {1018, "COMBOBOX", CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | WS_VSCROLL | B | T, 0, 170, 62, 228, 136, ""},
          {1020, "BUTTON", OD | V | D, 0, 8, 150, 112, 16, "（空白）"},
          {1021, "BUTTON", OD | D, 0, 142, 174, 181, 16, "Wait"},
          {172, "STATIC", V | SS_CENTER | WS_GROUP, 0, 2, 205, 143, 8, "www.vellumine.example"},
          {1026, "msctls_progress32", B | PBS_SMOOTH, 0, 150, 195, 294, 14, "Progress1"},
      });
}

TEST(Templates, DesktopVariantDiffers) {
  Template t = Load(IDD_WIZARD_DESKTOP), w = Load(IDD_WIZARD);
  EXPECT_EQ(t.title, w.title);
  EXPECT_EQ(t.controls.size(), w.controls.size());
  auto find = [&](int id) -> const Control * {
    for (const Control &c : t.controls)
      if (c.id == id)
        return &c;
    return nullptr;
  };
  EXPECT_EQ(find(1038), nullptr);
  EXPECT_EQ(find(1016), nullptr);
  ASSERT_NE(find(1004), nullptr);
  EXPECT_EQ(find(1004)->style, BS_AUTOCHECKBOX | BS_NOTIFY | V | T | C);
  EXPECT_EQ(find(1004)->text, "建立桌面图标？  (Place an icon on Desktop)");
  EXPECT_EQ(find(1005)->y, 104);
  EXPECT_EQ(find(1005)->text, "开机时自动启动？(Auto-start on boot)");
  EXPECT_EQ(std::vector<int>({find(1014)->x, find(1014)->y}), std::vector<int>({145, 12}));
  EXPECT_EQ(std::vector<int>({find(1019)->x, find(1019)->w}), std::vector<int>({136, 316}));
  EXPECT_EQ(find(1003)->x, 338);
  EXPECT_EQ(find(108)->x, 130);
}

TEST(Templates, MessageAndChooser) {
  Template m = Load(IDD_MESSAGE);
  EXPECT_EQ(m.style, Popup | V);
  EXPECT_EQ(m.title, "Quellory Install Message");
  EXPECT_EQ(std::vector<int>({m.w, m.h}), std::vector<int>({330, 85}));
  ExpectControls(IDD_MESSAGE, {
                                  {1, "BUTTON", OD | T, 0, 87, 64, 73, 18, "确认"},
                                  {6, "BUTTON", OD | T, 0, 174, 64, 73, 18, "是"},
                                  {7, "BUTTON", OD | T, 0, 257, 66, 73, 18, "否"},
                                  {2, "BUTTON", OD | T, 0, 6, 64, 73, 18, "取消 "},
                                  {1013, "BUTTON", OD | V | D, 0, 6, 4, 321, 24, ""},
                                  {1028, "STATIC", V | SS_CENTER, 0, 6, 35, 87, 8, ""},
                              });
  Template c = Load(IDD_CHOOSER);
  EXPECT_EQ(c.style, Popup);
  EXPECT_EQ(c.title, "Choose Destination Directory");
  EXPECT_EQ(c.font, "Helv");
  EXPECT_EQ(std::vector<int>({c.x, c.y, c.w, c.h}), std::vector<int>({36, 24, 258, 182}));
  const DWORD ListOwnerDraw = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_SORT | LBS_DISABLENOSCROLL;
  ExpectControls(IDD_CHOOSER, {
                                  {stc3, "STATIC", 0, 0, 169, 103, 68, 9, "File &Name:"},
                                  {edt1, "EDIT", B | T | ES_OEMCONVERT | ES_AUTOHSCROLL, 0, 168, 99, 68, 12, ""},
                                  {lst1, "LISTBOX", ListOwnerDraw, 0, 168, 89, 68, 17, ""},
                                  {stc1, "STATIC", V | SS_NOPREFIX, 0, 13, 23, 92, 9, ""},
                                  {lst2, "LISTBOX", V | ListOwnerDraw | WS_VSCROLL | B | T, 0, 12, 36, 126, 129, ""},
                                  {stc2, "STATIC", 0, 0, 167, 91, 68, 9, "List Files of &Type:"},
                                  {cmb1, "COMBOBOX", 0, 0, 167, 100, 68, 36, ""},
                                  {stc4, "STATIC", 0, 0, 158, 133, 64, 8, "Dri&ves:"},
                                  {cmb2, "COMBOBOX",
                                   V | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_SORT |
                                       CBS_AUTOHSCROLL | WS_VSCROLL | B | T,
                                   0, 158, 142, 77, 68, ""},
                                  {IDOK, "BUTTON", V | BS_DEFPUSHBUTTON | WS_GROUP | T, 0, 160, 36, 76, 16, "&OK"},
                                  {IDCANCEL, "BUTTON", V | BS_PUSHBUTTON | WS_GROUP | T, 0, 160, 64, 76, 16, "&Cancel"},
                                  {pshHelp, "BUTTON", BS_PUSHBUTTON, 0, 177, 97, 50, 14, "&Help"},
                                  {chx1, "BUTTON", BS_AUTOCHECKBOX, 0, 179, 88, 50, 12, "&Read Only"},
                                  {1008, "BUTTON", OD | V | D, 0, 14, 3, 119, 16, "路径 (Directories):"},
                                  {1010, "BUTTON", OD | V | D, 0, 158, 124, 77, 16, "磁盘 (Drives):"},
                                  {-1, "STATIC", 0, 0, 13, 8, 92, 9, "&Directories:"},
                              });
}

} // namespace
