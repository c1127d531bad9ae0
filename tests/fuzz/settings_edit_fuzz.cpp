// The settings editor on any text and code: the first line that begins with the key holds the code afterwards
// (or the block was appended when there was none) and every other byte is unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "install/settings_edit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1)
    return 0;
  int code = static_cast<int8_t>(data[0]);
  std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
  std::vector<char> out(EditedSettingsCapacity(text.size()));
  size_t length = EditUiLanguage(text.data(), text.size(), code, out.data(), out.size());
  if (length == 0)
    abort();
  std::string edited(out.data(), length), value = std::to_string(code);
  size_t line = std::string::npos;
  for (size_t start = 0; start <= text.size();) {
    if (text.compare(start, 11, "UILanguage=") == 0) {
      line = start;
      break;
    }
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos)
      break;
    start = nl + 1;
  }
  if (line == std::string::npos) {
    if (edited != text + "\r\n[Config]\r\nUILanguage=" + value + "\r\n\r\n")
      abort();
    return 0;
  }
  size_t valueStart = line + 11, valueEnd = text.find_first_of("\r\n", valueStart);
  if (valueEnd == std::string::npos)
    valueEnd = text.size();
  if (edited.compare(0, valueStart, text, 0, valueStart) != 0 || edited.compare(valueStart, value.size(), value) != 0 ||
      edited.substr(valueStart + value.size()) != text.substr(valueEnd))
    abort();
  return 0;
}
