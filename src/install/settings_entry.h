#ifndef VELLUMINE_INSTALL_SETTINGS_ENTRY_H
#define VELLUMINE_INSTALL_SETTINGS_ENTRY_H

// Records UiLanguage in the installed settings file InstallDir\QuorbixUI.ini, which ends read-only and hidden in
// every case in which it exists. Returns 1, or 0 when the file is missing or cannot be read or replaced (it then
// keeps its earlier bytes).
int WriteUiLanguage();

#endif
