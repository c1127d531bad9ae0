// The wizard's dialog procedure: its setup, its commands and what the system asks of it.
#include "wizard/wizard_dialog.h"

#include "app/globals.h"
#include "base/dpi_scale.h"
#include "resources/resource_ids.h"
#include "ui/button_painter.h"
#include "ui/check_box.h"
#include "ui/gbk_text.h"
#include "ui/licence_item.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"
#include "wizard/drive_text.h"
#include "wizard/folder_chooser.h"
#include "wizard/install_command.h"

namespace {

// The drive field holds one upper-case letter; the read-only suffix beside it completes the path.
void NarrowDriveField(HWND window) {
  HWND field = GetDlgItem(window, IDC_DRIVE_EDIT);
  RECT rect;
  GetWindowRect(field, &rect);
  int height = rect.bottom - rect.top, margin = ScaledToDpi(1, ScreenDpi);
  SetWindowPos(field, nullptr, 0, 0, height + ScaledToDpi(4, ScreenDpi), height, SWP_NOMOVE | SWP_NOZORDER);
  LONG style = GetWindowLongA(field, GWL_STYLE);
  SetWindowLongA(field, GWL_STYLE, (style & ~ES_AUTOHSCROLL) | ES_UPPERCASE);
  // The font's default margins leave no room for the letter in a field this narrow.
  SendMessageA(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

void FillLanguages(HWND window) {
  HWND combo = GetDlgItem(window, IDC_LANGUAGE_COMBO);
  for (int code = 0; code <= 2; ++code) {
    LPARAM name = reinterpret_cast<LPARAM>(LanguageNames[code]);
    LRESULT index =
        code == 0 ? SendMessageA(combo, CB_INSERTSTRING, 0, name) : SendMessageA(combo, CB_ADDSTRING, 0, name);
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), code);
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void Subclass(HWND window, int id) {
  HWND box = GetDlgItem(window, id);
  if (!box)
    return;
  LONG_PTR previous = SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CheckBoxProc));
  if (previous)
    PrevCheckBoxProc = reinterpret_cast<WNDPROC>(previous);
}

void Initialise(HWND window) {
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon));
  ShowControl(window, IDC_DESKTOP_ICON, 0);
  ShowControl(window, IDC_AUTOSTART, 0);
  ShowControl(window, IDC_USB_HINT, 1);
  ShowControl(window, IDC_FOLDER_SUFFIX, 1);
  NarrowDriveField(window);
  SetDlgItemTextA(window, IDC_FOLDER_SUFFIX, FolderSuffix);
  SetDlgItemTextA(window, IDC_DRIVE_EDIT, "@");
  ShowControl(window, IDC_BACK, 0);
  EnableWindow(GetDlgItem(window, IDC_BACK), FALSE);
  FillLanguages(window);
  NameOwnerDrawnButtons(window, PageDrive);
  Subclass(window, IDC_DESKTOP_ICON);
  Subclass(window, IDC_AUTOSTART);
}

void Next(HWND window) {
  char drive[InstallDirSize];
  GetDlgItemTextA(window, IDC_DRIVE_EDIT, drive, sizeof drive);
  if (!DriveTextAccepted(drive)) {
    ShowMessageDialog(DriveChinese, DriveEnglish, MessageOk, window);
    return;
  }
  BuildInstallDir(InstallDir, sizeof InstallDir, drive);
  if (WizardPage == PageLanguage)
    SendDlgItemMessageA(window, IDC_ENGLISH, BM_SETCHECK, BST_CHECKED, 0);
  ++WizardPage;
  ShowWizardPage(window, WizardPage);
}

void Command(HWND window, int id) {
  // While the install runs, the window answers the system (repaints, sent messages) but no command is acted on:
  // one sent from outside would otherwise go back a page, quit or browse in the middle of the install.
  if (WizardPage == PageInstalling || AgreeWorking)
    return;
  switch (id) {
  case IDC_NEXT:
    if (WizardPage < PageLicence)
      Next(window);
    else if (WizardPage == PageLicence)
      AgreeAndInstall(window);
    break;
  case IDC_BACK:
    if (WizardPage > PageDrive) {
      --WizardPage;
      ShowWizardPage(window, WizardPage);
    }
    break;
  case IDCANCEL: WizardPage = PageQuit; break;
  case IDC_ENGLISH: ShowWizardPage(window, PageLicence); break;
  case IDC_DESKTOP_ICON:
  case IDC_AUTOSTART: InvalidateRect(GetDlgItem(window, id), nullptr, FALSE); break;
  case IDC_BROWSE: ChooseDestination(window); break;
  default: break;
  }
}

} // namespace

INT_PTR CALLBACK WizardDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: Initialise(window); return TRUE;
  case WM_COMMAND: Command(window, LOWORD(wParam)); return FALSE;
  case WM_DRAWITEM: {
    const DRAWITEMSTRUCT *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
    if (wParam == IDC_LICENCE_LIST)
      DrawLicenceItem(item, window);
    else
      DrawButtonItem(item, window);
    return TRUE;
  }
  case WM_MEASUREITEM: return MeasureLicenceItem(reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
  case WM_SYSCOLORCHANGE: // a new colour scheme: the common controls hear of it, and everything is painted anew
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      SendMessageA(child, WM_SYSCOLORCHANGE, wParam, lParam);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return FALSE;
  case WM_QUERYENDSESSION: // a logoff or restart would end the process in the middle of a file
    if (!InstallRunning)
      return FALSE;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, FALSE);
    return TRUE;
  case WM_ENDSESSION: // the session ends all the same: the drive is made whole before the process may be ended
    if (wParam)
      FinishBeforeSessionEnds();
    return FALSE;
  default: return FALSE;
  }
}
