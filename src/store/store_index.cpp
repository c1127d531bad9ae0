// The store's index of its entries (CRC-32 and sizes), read and checked. Portable.
#include "store/store_index.h"

#include <string.h>

#include "store/crc32.h"

namespace {

unsigned long ReadLe32(const unsigned char *p) {
  return static_cast<unsigned long>(p[0]) | static_cast<unsigned long>(p[1]) << 8 |
         static_cast<unsigned long>(p[2]) << 16 | static_cast<unsigned long>(p[3]) << 24;
}

} // namespace

int ParseStoreIndex(const unsigned char *data, size_t size, StoreIndexEntry *out, int capacity) {
  if (size < 12 || memcmp(data, "VIDX", 4) != 0)
    return -1;
  unsigned long count = ReadLe32(data + 4);
  if (count > static_cast<unsigned long>(capacity) || size != 12 + StoreIndexEntryBytes * count)
    return -1;
  if (Crc32(0, data, size - 4) != ReadLe32(data + size - 4))
    return -1;
  for (unsigned long i = 0; i < count; ++i) {
    const unsigned char *e = data + 8 + StoreIndexEntryBytes * i;
    out[i] = StoreIndexEntry{ReadLe32(e), ReadLe32(e + 4), ReadLe32(e + 8), ReadLe32(e + 12)};
  }
  return static_cast<int>(count);
}

const StoreIndexEntry *FindIndexEntry(const StoreIndexEntry *entries, int count, unsigned long id) {
  for (int i = 0; i < count; ++i)
    if (entries[i].id == id)
      return &entries[i];
  return nullptr;
}
