// printf-style formatting into a fixed buffer, for %s, %c, %d and %%. Portable.
#include "base/bounded_format.h"

#include <stdarg.h>

namespace {

struct Sink {
  char *out;
  size_t size;
  size_t length;
  void Put(char c) {
    if (length + 1 < size)
      out[length] = c;
    ++length;
  }
};

} // namespace

int BoundedFormat(char *out, size_t size, const char *format, ...) {
  Sink sink = {out, size, 0};
  va_list args;
  va_start(args, format);
  for (const char *f = format; *f; ++f) {
    if (*f != '%' || !f[1]) {
      sink.Put(*f);
      continue;
    }
    switch (*++f) {
    case 's': {
      const char *s = va_arg(args, const char *);
      for (; s && *s; ++s)
        sink.Put(*s);
      break;
    }
    case 'c': sink.Put(static_cast<char>(va_arg(args, int))); break;
    case 'd': {
      int v = va_arg(args, int);
      unsigned magnitude = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
      char digits[12];
      int n = 0;
      do
        digits[n++] = static_cast<char>('0' + magnitude % 10);
      while (magnitude /= 10);
      if (v < 0)
        sink.Put('-');
      while (n)
        sink.Put(digits[--n]);
      break;
    }
    default: sink.Put(*f); break; // "%%", and any other letter as itself
    }
  }
  va_end(args);
  if (size)
    out[sink.length < size ? sink.length : size - 1] = 0;
  return static_cast<int>(sink.length);
}
