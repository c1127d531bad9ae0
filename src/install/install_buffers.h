#ifndef VELLUMINE_INSTALL_INSTALL_BUFFERS_H
#define VELLUMINE_INSTALL_INSTALL_BUFFERS_H

// The install's working memory, allocated once a run. Portable: the packer holds the store to the same limits.
enum { PayloadBufferSize = 4 * 1024 * 1024 };

// Beside the payload buffer, one MiB holds the settings file as written, with the language recorded, for reading it
// back at the end; the payload buffer itself then serves for reading files back from the medium. So the settings
// file the store carries may be at most that MiB less what recording the language adds: the packer refuses a
// larger one, and so does the pre-flight, before anything is written.
enum { SettingsCopySize = 1024 * 1024, SettingsFileLimit = SettingsCopySize - 64 };

#endif
