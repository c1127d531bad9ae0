// The licence splitter on any text: lines never hold a CR, never run past the text, their count stays within the
// limit, and joined again with what was removed they give the text back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "wizard/licence_lines.h"

namespace {
void Collect(const char *line, void *lines) { static_cast<std::vector<std::string> *>(lines)->push_back(line); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  text = text.substr(0, text.find('\0'));
  std::string work = text;
  std::vector<std::string> lines;
  int limit = size ? 1 + data[0] % 8 : 1;
  int count = SplitLicenceLines(&work[0], limit, Collect, &lines);
  if (count != static_cast<int>(lines.size()) || count > limit)
    abort();
  std::string rebuilt;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find('\r') != std::string::npos)
      abort();
    rebuilt += lines[i];
    if (rebuilt.size() < text.size() && text[rebuilt.size()] == '\r') {
      rebuilt += '\r';
      if (rebuilt.size() < text.size() && text[rebuilt.size()] == '\n')
        rebuilt += '\n';
    }
  }
  if (text.compare(0, rebuilt.size(), rebuilt) != 0)
    abort();
  if (count < limit && rebuilt != text)
    abort(); // below the limit everything was taken
  return 0;
}
