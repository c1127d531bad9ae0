#ifndef VELLUMINE_INSTALL_INSTALL_SEQUENCE_H
#define VELLUMINE_INSTALL_INSTALL_SEQUENCE_H

enum { PayloadBufferSize = 4 * 1024 * 1024 };

// Installs the whole manifest into InstallDir (which must exist) and records UiLanguage, moving the wizard's
// progress bar through 10, 20, 25, 45, 75, 90 and 100. Before the first file, with the bar at 10, checks the store
// and the room on the drive, and writes nothing when either fails. Returns 1 when every file the store carries was
// written and the language recorded; 0 at the first failure, with the bar left where it stands. Processes no
// window messages.
int RunInstall();

#endif
