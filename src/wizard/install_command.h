#ifndef VELLUMINE_WIZARD_INSTALL_COMMAND_H
#define VELLUMINE_WIZARD_INSTALL_COMMAND_H

#include <windows.h>

enum { MinimumBusySeconds = 5 };

// Agree/Install: makes sure of the install folder, runs the install with the busy cursor for at least five whole
// seconds of the clock, shows the result and ends the wizard. Stays on the licence page when the folder can be
// neither entered nor created.
void AgreeAndInstall(HWND window);

#endif
