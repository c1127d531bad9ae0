// The mixed-text walker on any bytes: it stays inside the text, pairs every lead byte with the next byte, and
// every glyph cell it leads to lies inside a sheet.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "glyph/glyph_cell.h"
#include "glyph/mixed_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back(0);
  int length = 0;
  while (text[static_cast<size_t>(length)])
    ++length;
  int index = 0, previous = 0;
  MixedChar ch;
  while (NextMixedChar(text.data(), length, &index, &ch)) {
    unsigned char first = static_cast<unsigned char>(text[static_cast<size_t>(previous)]);
    if (ch.wide != ((first & 0x80) != 0) || index - previous != (ch.wide ? 2 : 1) ||
        (ch.code >> (ch.wide ? 8 : 0)) != first)
      abort();
    if (ch.wide) {
      GlyphCell cell = MapGbkToGlyphCell(ch.code);
      if (cell.sheet < 0 || cell.sheet > 3 || cell.x + 16 > GlyphSheetWidth || cell.y + 16 > GlyphSheetHeight)
        abort();
    }
    previous = index;
  }
  if (index < length || index > length + 1)
    abort();
  return 0;
}
