#include "store/payload_store.h"

#include <windows.h>
#include <zlib.h>

#include "app/globals.h"

int InflatePayload(unsigned short id, unsigned char *buffer, unsigned long capacity, unsigned long *length) {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(id), "TEXT");
  if (!found)
    return 0;
  HGLOBAL loaded = LoadResource(AppInstance, found);
  const void *data = loaded ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(AppInstance, found);
  if (!data)
    return 0;
  uLongf produced = capacity;
  if (uncompress(buffer, &produced, static_cast<const Bytef *>(data), size) != Z_OK)
    return 0;
  *length = produced;
  return 1;
}
