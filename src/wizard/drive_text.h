#ifndef VELLUMINE_WIZARD_DRIVE_TEXT_H
#define VELLUMINE_WIZARD_DRIVE_TEXT_H

// The drive the user typed in place of "@". Portable.
#include <stddef.h>

// Whether the drive field's text may be used: not empty and no "@" anywhere.
int DriveTextAccepted(const char *text);

// The install folder for the text's first byte: that byte followed by ":\Vellumine".
void BuildInstallDir(char *out, size_t size, const char *driveText);

extern const char *const FolderSuffix; // ":\Vellumine"

#endif
