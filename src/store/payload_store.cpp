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
