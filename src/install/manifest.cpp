// The manifest table from manifest.def, and where each row is installed. Portable.
#include "install/manifest.h"

#include <string.h>

#include "base/bounded_format.h"

const ManifestRow Manifest[ManifestRowCount] = {
#define MANIFEST_ROW(id, where, destination, readOnly, hidden, size, kind, width, height)                              \
  {id, where, destination, readOnly, hidden, size, kind, width, height},
#include "install/manifest.def"
#undef MANIFEST_ROW
};

int IsSettingsRow(const ManifestRow &row) {
  return row.where == InFolder && strcmp(row.destination, SettingsFileName) == 0;
}

int ManifestRowPath(const ManifestRow &row, const char *folder, char *path, size_t size) {
  int length = row.where == InFolder ? BoundedFormat(path, size, "%s\\%s", folder, row.destination)
                                     : BoundedFormat(path, size, row.destination, folder[0]);
  return length >= 0 && static_cast<size_t>(length) < size;
}

void DriveRoot(const char *folder, char root[DriveRootSize]) {
  root[0] = folder[0];
  root[1] = ':';
  root[2] = '\\';
  root[3] = 0;
}
