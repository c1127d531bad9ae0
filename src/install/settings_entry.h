#ifndef VELLUMINE_INSTALL_SETTINGS_ENTRY_H
#define VELLUMINE_INSTALL_SETTINGS_ENTRY_H

// The installed settings file, in the install folder.
#define SettingsFileName "QuorbixUI.ini"

// Records UiLanguage in the installed settings file InstallDir\QuorbixUI.ini, which ends read-only and hidden in
// every case in which it exists. Returns 1, or 0 when the file is missing or cannot be read or replaced (it then
// keeps its earlier bytes). With copy, the bytes written are also copied there (capacity bytes), for reading them
// back; a file that would not fit there is not written.
int WriteUiLanguage(unsigned char *copy = nullptr, unsigned long capacity = 0, unsigned long *copied = nullptr);

#endif
