#ifndef VELLUMINE_STORE_PAYLOAD_STORE_H
#define VELLUMINE_STORE_PAYLOAD_STORE_H

// The payload store: the executable's resources of type "TEXT", each one zlib stream under a 16-bit identifier.

// The stored bytes of entry id (one zlib stream) and their count, or null when the store lacks it.
const unsigned char *PayloadEntry(unsigned short id, unsigned long *size);

// Whether the store carries entry id: a manifest row it does not carry is not installed.
int StoreCarries(unsigned short id);

// Inflates entry id into buffer (capacity bytes). Returns 1 and the inflated byte count in *length, or 0 when the
// entry is missing, damaged or larger than capacity (the buffer's content is then unspecified).
int InflatePayload(unsigned short id, unsigned char *buffer, unsigned long capacity, unsigned long *length);

struct StoreIndexEntry;

// Reads the store's index (store_index.h: the build's record of every entry it carries) into index. Returns the
// entry count, or -1 when the index is missing, damaged or holds more than capacity entries.
int LoadStoreIndex(StoreIndexEntry *index, int capacity);

#endif
