// CRC-32 as zlib gives it, with its tables made at the first call. Portable.
#include "store/crc32.h"

#include <stdint.h>

namespace {

uint32_t Table[8][256]; // eight bytes a step; filled at the first call

void MakeTables() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k)
      c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    Table[0][i] = c;
  }
  for (int t = 1; t < 8; ++t)
    for (int i = 0; i < 256; ++i)
      Table[t][i] = Table[t - 1][i] >> 8 ^ Table[0][Table[t - 1][i] & 0xFF];
}

uint32_t Le32(const unsigned char *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

unsigned long Crc32(unsigned long crc, const unsigned char *data, size_t size) {
  if (!Table[0][1])
    MakeTables();
  uint32_t c = ~static_cast<uint32_t>(crc);
  for (; size >= 8; data += 8, size -= 8) {
    uint32_t low = c ^ Le32(data), high = Le32(data + 4);
    c = Table[7][low & 0xFF] ^ Table[6][low >> 8 & 0xFF] ^ Table[5][low >> 16 & 0xFF] ^ Table[4][low >> 24] ^
        Table[3][high & 0xFF] ^ Table[2][high >> 8 & 0xFF] ^ Table[1][high >> 16 & 0xFF] ^ Table[0][high >> 24];
  }
  for (; size; --size)
    c = Table[0][(c ^ *data++) & 0xFF] ^ c >> 8;
  return ~c;
}
