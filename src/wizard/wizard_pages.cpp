// The pages of the wizard and the one-time loading of the licence texts.
#include <stdlib.h>

#include "app/globals.h"
#include "resources/resource_ids.h"
#include "store/payload_store.h"
#include "ui/gbk_text.h"
#include "ui/licence_item.h"
#include "ui/message_dialog.h"
#include "ui/texts.h"
#include "wizard/licence_lines.h"
#include "wizard/wizard_dialog.h"

int LicenceTextsLoaded;

namespace {

enum { LicenceChineseId = 124, LicenceEnglishId = 161, LicenceBufferSize = 65536 };

static_assert(static_cast<int>(LicenceMaxLines) <= static_cast<int>(LicenceListLines),
              "the list keeps every line the splitter gives");

void AddLine(const char *line, void *list) { AddLicenceLine(static_cast<HWND>(list), line); }

// Puts one licence text into its control; 0 when it cannot be read.
int LoadLicence(HWND window, unsigned short id) {
  char *text = static_cast<char *>(malloc(LicenceBufferSize));
  if (!text) {
    ShowMessageDialog(MemoryChinese, MemoryEnglish, MessageOk, WizardWindow);
    return 0;
  }
  unsigned long length = 0;
  if (!InflatePayload(id, reinterpret_cast<unsigned char *>(text), LicenceBufferSize - 1, &length)) {
    free(text);
    return 0;
  }
  text[length] = 0;
  if (id == LicenceEnglishId) {
    SendDlgItemMessageA(window, IDC_LICENCE_EDIT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  } else {
    HWND list = GetDlgItem(window, IDC_LICENCE_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0); // a failed earlier load may have left lines
    SplitLicenceLines(text, LicenceMaxLines, AddLine, list);
  }
  free(text);
  return 1;
}

int LoadLicenceTexts(HWND window) {
  if (!LoadLicence(window, LicenceChineseId) || !LoadLicence(window, LicenceEnglishId))
    return 0;
  LicenceTextsLoaded = 1;
  return 1;
}

} // namespace

void ShowControl(HWND window, int id, int visible) { ShowWindow(GetDlgItem(window, id), visible ? SW_SHOW : SW_HIDE); }

void ShowWizardPage(HWND window, int page) {
  ShowControl(window, IDC_ENGLISH, page == PageLicence);
  static const int DrivePage[] = {IDC_DESKTOP_ICON, IDC_AUTOSTART, IDC_DRIVE_EDIT, IDC_PATH_LABEL, IDC_BROWSE};
  if (page == PageLanguage) {
    for (int id : DrivePage)
      ShowControl(window, id, 0);
    ShowControl(window, IDC_LICENCE_EDIT, 0);
    ShowControl(window, IDC_LANGUAGE_LABEL, 1);
    ShowControl(window, IDC_LANGUAGE_COMBO, 1);
  } else {
    for (int id : DrivePage)
      ShowControl(window, id, page != PageLicence);
    ShowControl(window, IDC_LANGUAGE_LABEL, 0);
    ShowControl(window, IDC_LANGUAGE_COMBO, 0);
  }
  if (page == PageLicence && !LicenceTextsLoaded && !LoadLicenceTexts(window))
    return;
  ShowControl(window, IDC_LICENCE_LIST, 0);
  ShowControl(window, IDC_LICENCE_EDIT, 0);
  if (page == PageLicence) {
    int english = SendDlgItemMessageA(window, IDC_ENGLISH, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ShowControl(window, english ? IDC_LICENCE_EDIT : IDC_LICENCE_LIST, 1);
  }
  if (WizardPage >= PageDrive && WizardPage < PageInstalling) {
    ShowControl(window, IDC_BACK, page != PageDrive);
    EnableWindow(GetDlgItem(window, IDC_BACK), page != PageDrive);
  }
  NameOwnerDrawnButtons(window, page);
  ShowControl(window, IDC_USB_HINT, page == PageDrive);
  ShowControl(window, IDC_FOLDER_SUFFIX, page == PageDrive);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}
