// The drive the user typed in place of "@", and the install folder built from it. Portable.
#include "wizard/drive_text.h"
#include "base/bounded_format.h"

#include <string.h>

const char *const FolderSuffix = ":\\Vellumine";

int DriveTextAccepted(const char *text) { return text[0] != 0 && strchr(text, '@') == nullptr; }

void BuildInstallDir(char *out, size_t size, const char *driveText) {
  BoundedFormat(out, size, "%c%s", driveText[0], FolderSuffix);
}
