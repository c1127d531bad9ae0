#include "file_io.h"

#include <cstdio>

bool ReadFileBytes(const std::string &path, std::vector<unsigned char> &out) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    out.insert(out.end(), buf, buf + n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return !failed;
}

bool WriteFileBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
