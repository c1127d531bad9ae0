#include "pack_stream.h"

#include <zlib.h>

#include <cstdlib>

#ifdef VELLUMINE_HAVE_ZOPFLI
#include <zopfli/zopfli.h>
#endif

bool PackStreamHasZopfli() {
#ifdef VELLUMINE_HAVE_ZOPFLI
  return true;
#else
  return false;
#endif
}

bool PackStream(const std::vector<unsigned char> &data, std::vector<unsigned char> &stream, int zopfliIterations) {
#ifdef VELLUMINE_HAVE_ZOPFLI
  if (zopfliIterations > 0) {
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = zopfliIterations;
    unsigned char *out = nullptr;
    size_t outSize = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_ZLIB, data.data(), data.size(), &out, &outSize);
    if (!out)
      return false;
    stream.assign(out, out + outSize);
    free(out);
    return true;
  }
#else
  (void)zopfliIterations;
#endif
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  stream.resize(length);
  if (compress2(stream.data(), &length, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  stream.resize(length);
  return true;
}

namespace {

void PutLe32(std::vector<unsigned char> &out, unsigned long v) {
  for (int s = 0; s < 32; s += 8)
    out.push_back(static_cast<unsigned char>(v >> s));
}

} // namespace

std::vector<unsigned char> BuildStoreIndex(const std::vector<PackedEntry> &entries) {
  std::vector<unsigned char> index = {'V', 'I', 'D', 'X'};
  PutLe32(index, entries.size());
  for (const PackedEntry &e : entries) {
    PutLe32(index, e.id);
    PutLe32(index, crc32(0, e.stream.data(), static_cast<uInt>(e.stream.size())));
    PutLe32(index, e.inflatedSize);
    PutLe32(index, e.stream.size());
  }
  PutLe32(index, crc32(0, index.data(), static_cast<uInt>(index.size())));
  return index;
}
