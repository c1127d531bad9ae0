#include "bmp_file.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

void SaveBmp(const char *name, int width, int height, const unsigned char *pixels) {
  CreateDirectoryA("E:\\screenshots", nullptr);
  std::string path = std::string("E:\\screenshots\\") + name + ".bmp";
  FILE *f = fopen(path.c_str(), "wb");
  if (!f)
    return;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(4 * width * height);
  // No alpha: a screen copy carries stray top bytes (inverted focus dots), which viewers take for transparency.
  std::vector<unsigned char> copy(pixels, pixels + 4 * width * height);
  for (size_t i = 3; i < copy.size(); i += 4)
    copy[i] = 0;
  fwrite(&file, sizeof file, 1, f);
  fwrite(&info, sizeof info, 1, f);
  fwrite(copy.data(), 1, copy.size(), f);
  fclose(f);
}

HBITMAP CreateDib32(int width, int height, unsigned char **pixels) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *pixels = static_cast<unsigned char *>(memory);
  return bitmap;
}
