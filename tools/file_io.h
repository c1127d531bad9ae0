#ifndef VELLUMINE_TOOLS_FILE_IO_H
#define VELLUMINE_TOOLS_FILE_IO_H

#include <string>
#include <vector>

// A whole file's bytes; false when it cannot be opened or a read fails.
bool ReadFileBytes(const std::string &path, std::vector<unsigned char> &out);
// Writes the bytes as the whole file; false on any failure.
bool WriteFileBytes(const std::string &path, const std::vector<unsigned char> &bytes);

#endif
