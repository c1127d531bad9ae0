#ifndef VELLUMINE_STORE_CRC32_H
#define VELLUMINE_STORE_CRC32_H

// CRC-32 (IEEE 802.3, the one zlib's crc32 gives), kept small: its tables are made at the first call rather than
// carried in the executable. crc is the value so far, 0 to begin. Portable.
#include <stddef.h>

unsigned long Crc32(unsigned long crc, const unsigned char *data, size_t size);

#endif
