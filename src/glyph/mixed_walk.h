#ifndef VELLUMINE_GLYPH_MIXED_WALK_H
#define VELLUMINE_GLYPH_MIXED_WALK_H

// Walking a mixed-script text: a byte of 0x80 or more is the lead byte of a two-byte GBK character and always
// takes the byte after it (the terminating NUL included); every other byte is a single-byte character. Portable.

struct MixedChar {
  int wide;            // 1 for a two-byte character, 0 for a single byte
  unsigned short code; // lead * 256 + trail, or the single byte
};

// The character at *index of text (length bytes before its NUL), advancing *index past it; 0 at the end.
inline int NextMixedChar(const char *text, int length, int *index, MixedChar *ch) {
  if (*index >= length)
    return 0;
  unsigned char b = static_cast<unsigned char>(text[*index]);
  if (b & 0x80) {
    unsigned char trail = *index + 1 < length ? static_cast<unsigned char>(text[*index + 1]) : 0;
    ch->wide = 1;
    ch->code = static_cast<unsigned short>(b << 8 | trail);
    *index += 2;
  } else {
    ch->wide = 0;
    ch->code = b;
    *index += 1;
  }
  return 1;
}

// The longest prefix of text (length bytes) that holds at most limit bytes and does not split a two-byte character.
inline int MixedTextPrefix(const char *text, int length, int limit) {
  int index = 0, end = 0;
  MixedChar ch;
  while (NextMixedChar(text, length, &index, &ch) && index <= limit)
    end = index;
  return end < length ? end : length;
}

#endif
