#include "install/settings_entry.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "app/globals.h"
#include "base/bounded_format.h"
#include "install/file_writer.h"
#include "install/settings_edit.h"

namespace {

const DWORD LongestSettingsFile = 16 * 1024 * 1024;

// The whole file in a new buffer of EditedSettingsCapacity bytes, or null.
char *ReadSettings(const char *path, DWORD *length) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return nullptr;
  DWORD size = GetFileSize(file, nullptr), got = 0;
  char *text = nullptr;
  if (size != INVALID_FILE_SIZE && size <= LongestSettingsFile)
    text = static_cast<char *>(malloc(EditedSettingsCapacity(size)));
  if (text && size && (!ReadFile(file, text, size, &got, nullptr) || got != size)) {
    free(text);
    text = nullptr;
  }
  CloseHandle(file);
  *length = size;
  return text;
}

int RecordLanguage(const char *path, unsigned char *copy, unsigned long copyCapacity, unsigned long *copied) {
  DWORD length = 0;
  char *text = ReadSettings(path, &length);
  if (!text)
    return 0;
  size_t capacity = EditedSettingsCapacity(length);
  char *edited = static_cast<char *>(malloc(capacity));
  size_t editedLength = edited ? EditUiLanguage(text, length, UiLanguage, edited, capacity) : 0;
  int written = editedLength && (!copy || editedLength <= copyCapacity) &&
                ReplaceFileContents(path, edited, static_cast<unsigned long>(editedLength),
                                    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  if (written && copy) {
    memcpy(copy, edited, editedLength);
    *copied = static_cast<unsigned long>(editedLength);
  }
  free(edited);
  free(text);
  return written;
}

} // namespace

int WriteUiLanguage(unsigned char *copy, unsigned long capacity, unsigned long *copied) {
  char path[InstallDirSize];
  if (BoundedFormat(path, sizeof path, "%s\\%s", InstallDir, SettingsFileName) >= static_cast<int>(sizeof path))
    return 0;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    return 0;
  int written = RecordLanguage(path, copy, capacity, copied);
  // Written, it already has both bits (nothing changes after its flush); kept unwritten, it gets them here.
  const DWORD bits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & bits) != bits)
    SetFileAttributesA(path, attributes | bits);
  return written;
}
