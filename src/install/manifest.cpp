#include "install/manifest.h"

const ManifestRow Manifest[ManifestRowCount] = {
#define MANIFEST_ROW(id, where, destination, readOnly, hidden, size, kind, width, height)                              \
  {id, where, destination, readOnly, hidden, size, kind, width, height},
#include "install/manifest.def"
#undef MANIFEST_ROW
};

const ManifestRow *FindManifestRow(unsigned short id) {
  for (const ManifestRow &row : Manifest)
    if (row.id == id)
      return &row;
  return nullptr;
}
