// The payload store: finding a "TEXT" entry among the executable's resources and inflating it.
#include "store/payload_store.h"

#include <windows.h>
#include <zlib.h>

#include "app/globals.h"
#include "store/crc32.h"
#include "store/store_index.h"

const unsigned char *PayloadEntry(unsigned short id, unsigned long *size) {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(id), "TEXT");
  if (!found)
    return nullptr;
  HGLOBAL loaded = LoadResource(AppInstance, found);
  *size = SizeofResource(AppInstance, found);
  return loaded ? static_cast<const unsigned char *>(LockResource(loaded)) : nullptr;
}

int StoreCarries(unsigned short id) { return FindResourceA(AppInstance, MAKEINTRESOURCEA(id), "TEXT") != nullptr; }

int InflatePayload(unsigned short id, unsigned char *buffer, unsigned long capacity, unsigned long *length) {
  unsigned long size = 0;
  const unsigned char *data = PayloadEntry(id, &size);
  if (!data)
    return 0;
  uLongf produced = capacity;
  if (uncompress(buffer, &produced, data, size) != Z_OK)
    return 0;
  *length = produced;
  return 1;
}

int LoadStoreIndex(StoreIndexEntry *index, int capacity) {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(StoreIndexId), STORE_INDEX_TYPE);
  HGLOBAL loaded = found ? LoadResource(AppInstance, found) : nullptr;
  const unsigned char *bytes = loaded ? static_cast<const unsigned char *>(LockResource(loaded)) : nullptr;
  return bytes ? ParseStoreIndex(bytes, SizeofResource(AppInstance, found), index, capacity) : -1;
}

// zlib's crc32 in place of zlib's own, which its inflate code names (for gzip streams, which the store has none
// of): its 5 KB of tables stay out of the executable. Defined here, in an object that the installer always links,
// before the linker looks into zlib.
extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef *buf, uInt len) { return Crc32(crc, buf, len); }

// zlib's adler32 in place of zlib's own (which inflate calls to check each stream, and the read-back to check each
// file), whose unrolled loops take 1.8 KB of the executable: the same sums, a byte at a time, reduced every 5552
// bytes as zlib reduces them, so that they never overflow 32 bits.
extern "C" uLong ZEXPORT adler32(uLong adler, const Bytef *buf, uInt len) {
  const unsigned long Base = 65521, Block = 5552;
  unsigned long a = adler & 0xFFFF, b = adler >> 16 & 0xFFFF;
  if (!buf)
    return 1;
  while (len) {
    uInt n = len < Block ? len : Block;
    len -= n;
    while (n--) {
      a += *buf++;
      b += a;
    }
    a %= Base;
    b %= Base;
  }
  return b << 16 | a;
}
