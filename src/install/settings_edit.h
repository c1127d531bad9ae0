#ifndef VELLUMINE_INSTALL_SETTINGS_EDIT_H
#define VELLUMINE_INSTALL_SETTINGS_EDIT_H

// Recording the interface language in the text of the settings file. Portable.
#include <stddef.h>

// The room EditUiLanguage needs for a text of length bytes: it grows by at most SettingsGrowth bytes.
enum { SettingsGrowth = 64 };
constexpr size_t EditedSettingsCapacity(size_t length) { return length + SettingsGrowth; }

// Writes into out (capacity bytes, at least EditedSettingsCapacity(length)) the settings text with the language
// code recorded: the first line that begins with "UILanguage=" has its value, up to its line end, replaced by the
// code; without such a line, "\r\n[Config]\r\nUILanguage=<code>\r\n\r\n" is appended. Every other byte stays.
// Returns the new length, or 0 when out is too small.
size_t EditUiLanguage(const char *text, size_t length, int code, char *out, size_t capacity);

#endif
