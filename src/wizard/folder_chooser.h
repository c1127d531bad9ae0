#ifndef VELLUMINE_WIZARD_FOLDER_CHOOSER_H
#define VELLUMINE_WIZARD_FOLDER_CHOOSER_H

// Browse: the system's old-style open-file dialog with our template, showing only directories and drives. On OK
// the drive letter of the chosen directory goes into the drive field.
#include <windows.h>

void ChooseDestination(HWND wizard);

UINT_PTR CALLBACK ChooserHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
