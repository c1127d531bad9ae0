#include "paint_harness.h"

#include <cstdio>

#include "app/globals.h"
#include "bmp_file.h"
#include "glyph/glyph_font.h"

Surface::Surface(int w, int h, COLORREF fill) : width(w), height(h) {
  dc = CreateCompatibleDC(nullptr);
  bitmap = CreateDib32(w, h, &bits);
  saved = SelectObject(dc, bitmap);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  Fill(fill);
}

Surface::~Surface() {
  SelectObject(dc, saved);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

void Surface::Fill(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

std::string FirstDifference(const Surface &a, const Surface &b) {
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.At(x, y) != b.At(x, y)) {
        char text[80];
        snprintf(text, sizeof text, "%d,%d %06lx %06lx", x, y, a.At(x, y), b.At(x, y));
        return text;
      }
  return "";
}

HWND TestParent() {
  static HWND parent;
  if (!parent) {
    parent = CreateWindowExA(0, "STATIC", "test parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 600, 300, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  return parent;
}

HWND TestChild(const char *className, int id, DWORD style, int width, int height, const char *text) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, width, height, TestParent(),
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void EnsureGlyphFont() {
  if (!GlyphFont[0].context) {
    AppInstance = GetModuleHandleA(nullptr);
    LoadGlyphFont();
  }
}

void SaveScreenshot(HWND window, const char *name) {
  RECT r;
  GetWindowRect(window, &r);
  Surface shot(r.right - r.left, r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(shot.dc, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  SaveSurface(shot, name);
}

void SaveSurface(const Surface &s, const char *name) {
  GdiFlush();
  SaveBmp(name, s.width, s.height, s.bits);
}
