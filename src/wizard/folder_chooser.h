#ifndef VELLUMINE_WIZARD_FOLDER_CHOOSER_H
#define VELLUMINE_WIZARD_FOLDER_CHOOSER_H

// Browse: the system's old-style open-file dialog with our template, showing only directories and drives. On OK
// the drive letter of the chosen directory goes into the drive field.
#include <windows.h>

// The common dialogs are loaded from the system folder at each Browse; where they cannot be, a message says so and
// the drive letter can still be typed.
void ChooseDestination(HWND wizard);
extern const char *ChooserLibrary; // "comdlg32.dll", or what a test puts in its place

UINT_PTR CALLBACK ChooserHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
