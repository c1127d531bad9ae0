// The process-wide values, in static storage for the life of the process.
#include "app/globals.h"

HINSTANCE AppInstance;
int WizardPage;
HWND WizardWindow;
HICON AppIcon;
char InstallDir[InstallDirSize];
int UiLanguage;
int ScreenDpi = 96;
int GlyphScale = 1;
const char *const LanguageNames[4] = {"English", "Chinese(Simplified)", "Chinese(Traditional)", "German"};
