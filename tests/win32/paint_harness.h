#ifndef VELLUMINE_TESTS_PAINT_HARNESS_H
#define VELLUMINE_TESTS_PAINT_HARNESS_H

// Drawing into real GDI memory contexts under Wine and reading the pixels back.
#include <windows.h>

#include <string>

// A 32-bit memory surface with the stock GUI font, black text on a white background colour.
struct Surface {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ saved;
  unsigned char *bits; // top-down, 4 bytes a pixel
  int width, height;
  Surface(int w, int h, COLORREF fill = RGB(255, 255, 255));
  ~Surface();
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  void Fill(COLORREF colour);
};

// The first pixel where a and b differ, as "x,y a-colour b-colour", or "" when they are equal.
std::string FirstDifference(const Surface &a, const Surface &b);

// A visible top-level window for child controls, and one child of a class with an identifier and a style.
HWND TestParent();
HWND TestChild(const char *className, int id, DWORD style, int width, int height, const char *text = "");

// The glyph font of the test program's own store, loaded once for every test.
void EnsureGlyphFont();

// Saves what the screen shows of a window, or a surface, as a BMP under E:\screenshots (the test script turns
// them into PNG files).
void SaveScreenshot(HWND window, const char *name);
void SaveSurface(const Surface &s, const char *name);

#endif
