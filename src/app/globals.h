#ifndef VELLUMINE_APP_GLOBALS_H
#define VELLUMINE_APP_GLOBALS_H

// The process-wide values that every layer may read. Each lives in static storage for the life of the process.
#include <windows.h>

#include "app/wizard_page_ids.h"

enum { InstallDirSize = 260 };

extern HINSTANCE AppInstance; // the running executable; every resource is looked up in it
extern int WizardPage;        // the wizard's page, a WizardPages value
extern HWND WizardWindow;     // null until the wizard's creation returns
extern HICON AppIcon;
extern char InstallDir[InstallDirSize]; // drive letter followed by ":\Vellumine"
extern int UiLanguage;                  // 0 English, 1 Chinese (Simplified), 2 Chinese (Traditional)
const int DefaultButtonId = 1001;       // the wizard's Next button
extern int ScreenDpi;                   // the screen's dots per inch, read once at start-up: 96 at 100 %
extern int GlyphScale;                  // each glyph pixel is a GlyphScale x GlyphScale block (GlyphScaleFor)
extern const char *const LanguageNames[4];

#endif
