// The entry point: one wizard a session, the glyph font, the wizard's dialog and its message loop.
#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include "app/globals.h"
#include "app/message_loop.h"
#include "base/dpi_scale.h"
#include "glyph/glyph_font.h"
#include "resources/resource_ids.h"
#include "ui/button_painter.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"
#include "wizard/wizard_dialog.h"

namespace {

// DLLs load from System32 only (never from the folder the installer was downloaded to), and a missing disk never
// raises the system's "No disk" box while the wizard probes a drive.
void HardenProcess() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (found) {
    SetDefaultDllDirectoriesFn setDirectories;
    static_assert(sizeof setDirectories == sizeof found, "function pointers");
    memcpy(&setDirectories, &found, sizeof found);
    setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  SetErrorMode(SEM_FAILCRITICALERRORS);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
  if (previousInstance)
    return 0;
  // One wizard at a time in the session (Win32 never reports a previous instance): a second start brings the open
  // wizard, or its message, to the front and ends, showing, creating and changing nothing else.
  CreateMutexA(nullptr, FALSE, "Local\\Vellumine.Setup");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (HWND open = FindWindowA("#32770", "Vellumine Installer"))
      SetForegroundWindow(GetLastActivePopup(open));
    return 0;
  }
  HardenProcess();
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  // The display scale, once: the executable declares itself DPI-aware, so Windows stretches nothing of it.
  HDC screen = GetDC(nullptr);
  ScreenDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  GlyphScale = GlyphScaleFor(ScreenDpi);
  AppInstance = instance;
  switch (LoadGlyphFont()) {
  case GlyphFontBuilt: break;
  case GlyphFontNoMemory: ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow); return 1;
  case GlyphFontNotInflated: return 1;
  case GlyphFontSheetFailed: ReleaseGlyphFont(); return 1;
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WizardPage = PageDrive;
  AppIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  WizardWindow = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr, WizardDialogProc, 0);
  if (!WizardWindow) {
    ReleaseGlyphFont();
    return 1;
  }
  RunMessageLoop();
  DestroyWindow(WizardWindow);
  ReleaseGlyphFont();
  ReleaseNarrowedFonts();
  return 0;
}
