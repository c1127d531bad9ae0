#ifndef VELLUMINE_TOOLS_PACK_STREAM_H
#define VELLUMINE_TOOLS_PACK_STREAM_H

#include <vector>

// One complete zlib stream of data at the highest level (it begins 0x78 0xDA). With zopfliIterations above 0, and
// when the tools are built with zopfli, the stream comes from zopfli's slower and tighter deflate, which zlib's
// uncompress reads unchanged. False when compressing fails.
bool PackStream(const std::vector<unsigned char> &data, std::vector<unsigned char> &stream, int zopfliIterations = 0);

// Whether PackStream can use zopfli.
bool PackStreamHasZopfli();

struct PackedEntry {
  unsigned long id, inflatedSize;
  std::vector<unsigned char> stream;
};

// The store's index over the packed entries (format in src/store/store_index.h).
std::vector<unsigned char> BuildStoreIndex(const std::vector<PackedEntry> &entries);

#endif
