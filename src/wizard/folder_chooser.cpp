// Browse: the old-style open-file dialog showing only directories and drives, and its drive letter taken.
#include "wizard/folder_chooser.h"

#include <windows.h>

#include <commdlg.h>
#include <direct.h>
#include <dlgs.h>
#include <string.h>

#include "app/globals.h"
#include "base/kernel_function.h"
#include "resources/resource_ids.h"
#include "ui/button_painter.h"
#include "ui/gbk_text.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"

const char *ChooserLibrary = "comdlg32.dll";

namespace {

typedef BOOL(WINAPI *GetOpenFileNameFn)(LPOPENFILENAMEA);

} // namespace

UINT_PTR CALLBACK ChooserHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: {
    SetFocus(GetDlgItem(window, lst2));
    // Cancel is painted with its bilingual label; it stays a button for the mouse and Escape.
    HWND cancel = GetDlgItem(window, IDCANCEL);
    SetWindowLongA(cancel, GWL_STYLE, GetWindowLongA(cancel, GWL_STYLE) | BS_OWNERDRAW);
    NameOwnerDrawnButtons(window, WizardPage);
    return 1;
  }
  case WM_COMMAND:
    if (LOWORD(wParam) != IDOK)
      return 0;
    if (!_getcwd(InstallDir, InstallDirSize))
      return 0;
    {
      size_t length = strlen(InstallDir);
      if (length && InstallDir[length - 1] == '\\')
        InstallDir[length - 1] = 0;
    }
    EndDialog(window, 1);
    return 1;
  case WM_DRAWITEM: {
    const DRAWITEMSTRUCT *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
    if (item->CtlID != IDC_DIRS_LABEL && item->CtlID != IDC_DRIVES_LABEL && item->CtlID != IDCANCEL)
      return 0;
    DrawButtonItem(item, window);
    return 1;
  }
  default: return 0;
  }
}

void ChooseDestination(HWND wizard) {
  // The common dialogs are loaded at the first Browse rather than at start: most users never open the chooser, and
  // the DLL brings the shell with it. Once loaded they stay: freeing them would unload the shell code they brought
  // in, under any thread or hook that code left running.
  static HMODULE library;
  if (!library)
    library = LoadSystemLibrary(ChooserLibrary);
  GetOpenFileNameFn open = ModuleFunction<GetOpenFileNameFn>(library, "GetOpenFileNameA");
  if (!open) {
    ShowMessageDialog(ChooserChinese, ChooserEnglish, MessageOk, wizard);
    return;
  }
  OPENFILENAMEA request;
  char name[128];
  memset(&request, 0, sizeof request);
  memset(name, 0, sizeof name);
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the 76-byte form, for the old-style dialog
  request.hwndOwner = wizard;
  request.lpstrFile = name;
  request.nMaxFile = sizeof name;
  // Without a title the dialog calls itself "Open", whatever the template says.
  request.lpstrTitle = "Choose Destination Directory";
  request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_PATHMUSTEXIST;
  request.lpfnHook = ChooserHookProc;
  request.lpTemplateName = MAKEINTRESOURCEA(IDD_CHOOSER);
  BOOL chosen = open(&request);
  if (!chosen)
    return;
  InstallDir[1] = 0;
  SetDlgItemTextA(wizard, IDC_DRIVE_EDIT, InstallDir);
}
