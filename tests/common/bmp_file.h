#ifndef VELLUMINE_TESTS_COMMON_BMP_FILE_H
#define VELLUMINE_TESTS_COMMON_BMP_FILE_H

// Screenshots of the tests: 32-bit top-down pixels (blue, green, red, unused) saved as a BMP file under
// E:\screenshots\NAME.bmp, which the test scripts turn into PNG files.
void SaveBmp(const char *name, int width, int height, const unsigned char *pixels);

// A 32-bit top-down bitmap whose pixels the caller reads and writes through *pixels.
#include <windows.h>
HBITMAP CreateDib32(int width, int height, unsigned char **pixels);

#endif
