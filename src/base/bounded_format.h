#ifndef VELLUMINE_BASE_BOUNDED_FORMAT_H
#define VELLUMINE_BASE_BOUNDED_FORMAT_H

// printf-style formatting into a fixed buffer, for the few formats the installer uses: %s, %c, %d and %%.
// Small enough to keep the C library's full printf out of the executable. Portable.
#include <stddef.h>

// Writes at most size - 1 bytes and a NUL (nothing when size is 0). Returns the length the whole result has, so
// that a result of size or more means it was cut. A null %s argument counts as an empty text.
int BoundedFormat(char *out, size_t size, const char *format, ...);

#endif
