#ifndef VELLUMINE_WIZARD_INSTALL_COMMAND_H
#define VELLUMINE_WIZARD_INSTALL_COMMAND_H

#include <windows.h>

enum { MinimumBusySeconds = 5 };

// Agree/Install: names a folder where a file goes or a file a program uses, and stays on the licence page; else
// makes sure of the install folder, runs the install with the busy cursor for at least five whole seconds of the
// clock and shows the result; then ends the wizard, or where the drive is as it was and the user can mend what
// stood in the way (a program's hold, a folder, too little room, a locked stick), goes back to the licence page.
// Stays on the licence page when the folder can be neither entered nor created. While the files are written, on a
// thread of their own, the window answers what is sent to it and repaints, and acts on nothing posted; the input that
// waited meanwhile is dropped before the result appears, so that a key pressed during the install never closes it
// unread.
void AgreeAndInstall(HWND window);

// The session is ending (a logoff forced through, or a critical shutdown), and the process may be ended once this
// returns: during the install, asks it to stop at its next safe point and waits until it has put everything back,
// or finished where it was past the rows, answering what is sent meanwhile.
void FinishBeforeSessionEnds();

// Nonzero while the install writes and checks the files: logoff and restart are asked to wait.
extern int InstallRunning;

// Nonzero from Agree/Install until the wizard goes on: no other command is acted on.
extern int AgreeWorking;

#endif
