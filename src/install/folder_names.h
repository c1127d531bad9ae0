#ifndef VELLUMINE_INSTALL_FOLDER_NAMES_H
#define VELLUMINE_INSTALL_FOLDER_NAMES_H

// One look at the names a folder holds, where a look beside each name would cost a lookup a name.
#include <windows.h>

// Hands each name that folder ("X:\Vellumine", or a drive root "X:") holds, but "." and "..", to see with context,
// until see returns 0. 0 where the folder cannot be listed.
int EachName(const char *folder, int (*see)(const WIN32_FIND_DATAA &found, void *context), void *context);

#endif
