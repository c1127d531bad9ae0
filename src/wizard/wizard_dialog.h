#ifndef VELLUMINE_WIZARD_WIZARD_DIALOG_H
#define VELLUMINE_WIZARD_WIZARD_DIALOG_H

// The wizard: one modeless dialog whose three pages (drive, interface language, licence) are shown by showing and
// hiding controls; Agree/Install on the licence page runs the install.
#include <windows.h>

INT_PTR CALLBACK WizardDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows page 0, 1 or 2 (loading the licence texts at the first display of page 2) and repaints the wizard.
void ShowWizardPage(HWND window, int page);

extern int LicenceTextsLoaded;

// Shows or hides a control of the wizard; nothing when the template lacks it.
void ShowControl(HWND window, int id, int visible);

#endif
