#ifndef VELLUMINE_INSTALL_MANIFEST_H
#define VELLUMINE_INSTALL_MANIFEST_H

// The installed files (manifest.def), as a table that the packer and the install sequence share. Portable.
#include <stddef.h>

enum ManifestWhere { InFolder, InDriveRoot };

enum PayloadKind {
  KindTable,      // binary table data
  KindSortText,   // one line of GBK text with digits
  KindDictionary, // UTF-8 dictionary text
  KindAuthored,   // a file of ours, committed under payload/
  KindProgram,    // a 32-bit Windows GUI program
  KindHelpFile,   // compiled HTML Help
  KindPng,
  KindJpeg,
  KindAbsent // the store carries no entry for it
};

struct ManifestRow {
  unsigned short id;
  ManifestWhere where;
  const char *destination;
  int readOnly;
  int hidden;
  unsigned long size;
  PayloadKind kind;
  int width;
  int height;
};

enum { ManifestRowCount = 34 };
extern const ManifestRow Manifest[ManifestRowCount];

// The installed settings file, in the install folder; the install writes it with the language recorded.
#define SettingsFileName "QuorbixUI.ini"
int IsSettingsRow(const ManifestRow &row);

// Where a row is installed for the install folder folder (a drive letter followed by ":\Vellumine"): folder\name,
// or the drive-root pattern with the folder's drive letter. 0 when that does not fit size bytes.
int ManifestRowPath(const ManifestRow &row, const char *folder, char *path, size_t size);

// The root folder of the install folder's drive: "X:\" and a NUL.
enum { DriveRootSize = 4 };
void DriveRoot(const char *folder, char root[DriveRootSize]);

#endif
