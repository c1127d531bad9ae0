#include "pack_stream.h"

#include <zlib.h>

bool PackStream(const std::vector<unsigned char> &data, std::vector<unsigned char> &stream) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  stream.resize(length);
  if (compress2(stream.data(), &length, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  stream.resize(length);
  return true;
}
