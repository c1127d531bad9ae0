// Recording the interface language in the text of the settings file. Portable.
#include "install/settings_edit.h"
#include "base/bounded_format.h"

#include <string.h>

namespace {

const char Key[] = "UILanguage=";
const size_t KeyLength = sizeof Key - 1;

// The offset of the first byte of the first line that begins with the key, or length when there is none.
size_t FindKeyLine(const char *text, size_t length) {
  for (size_t start = 0; start < length;) {
    if (length - start >= KeyLength && memcmp(text + start, Key, KeyLength) == 0)
      return start;
    const void *newline = memchr(text + start, '\n', length - start);
    if (!newline)
      break;
    start = static_cast<size_t>(static_cast<const char *>(newline) - text) + 1;
  }
  return length;
}

} // namespace

size_t EditUiLanguage(const char *text, size_t length, int code, char *out, size_t capacity) {
  char value[16];
  int valueLength = BoundedFormat(value, sizeof value, "%d", code);
  size_t line = FindKeyLine(text, length);
  if (line == length) {
    char block[64];
    int blockLength = BoundedFormat(block, sizeof block, "\r\n[Config]\r\nUILanguage=%d\r\n\r\n", code);
    if (capacity < length + static_cast<size_t>(blockLength))
      return 0;
    if (length)
      memcpy(out, text, length);
    memcpy(out + length, block, static_cast<size_t>(blockLength));
    return length + static_cast<size_t>(blockLength);
  }
  size_t valueStart = line + KeyLength, valueEnd = valueStart;
  while (valueEnd < length && text[valueEnd] != '\r' && text[valueEnd] != '\n')
    ++valueEnd;
  size_t newLength = length - (valueEnd - valueStart) + static_cast<size_t>(valueLength);
  if (capacity < newLength)
    return 0;
  memcpy(out, text, valueStart);
  memcpy(out + valueStart, value, static_cast<size_t>(valueLength));
  memcpy(out + valueStart + valueLength, text + valueEnd, length - valueEnd);
  return newLength;
}
