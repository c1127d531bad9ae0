// Splitting the Chinese licence into list lines. Portable.
#include "wizard/licence_lines.h"

int SplitLicenceLines(char *text, int maxLines, void (*add)(const char *line, void *context), void *context) {
  int count = 0;
  char *line = text;
  for (char *p = text; *p && count < maxLines; ++p) {
    if (*p != '\r')
      continue;
    *p = 0;
    add(line, context);
    ++count;
    if (p[1] == '\n')
      ++p;
    line = p + 1;
  }
  if (count < maxLines && *line) {
    add(line, context);
    ++count;
  }
  return count;
}
