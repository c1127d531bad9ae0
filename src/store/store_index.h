#ifndef VELLUMINE_STORE_STORE_INDEX_H
#define VELLUMINE_STORE_STORE_INDEX_H

// The store's index: for each "TEXT" entry its identifier, the CRC-32 of its stored (compressed) bytes, its
// inflated size and its stored size, followed by a CRC-32 of the index itself. It lets the installer find a damaged
// copy of itself, and the room it needs, before it writes anything. Portable.
//
//   "VIDX", u32 count, count x {u32 id, u32 crc, u32 inflatedSize, u32 storedSize}, u32 crc of all before it
// All numbers little-endian.
#include <stddef.h>

#define STORE_INDEX_TYPE "VINDEX"
enum { StoreIndexId = 1, StoreIndexEntryBytes = 16 };

struct StoreIndexEntry {
  unsigned long id, crc, inflatedSize, storedSize;
};

// Checks the index and reads up to capacity entries into out. Returns the entry count, or -1 when the index is
// damaged (bad magic, count or checksum) or holds more than capacity entries.
int ParseStoreIndex(const unsigned char *data, size_t size, StoreIndexEntry *out, int capacity);

// The entry of id among count entries, or null.
const StoreIndexEntry *FindIndexEntry(const StoreIndexEntry *entries, int count, unsigned long id);

#endif
