// Which owner-drawn control is framed and centred, what it says, and the lines of a button's frame. Portable.
#include "ui/button_layout.h"

#include "app/wizard_page_ids.h"
#include "resources/resource_ids.h"
#include "ui/texts.h"

ButtonLayout ButtonLayoutFor(int id) {
  switch (id) {
  case IDC_PATH_LABEL:
  case IDC_DIRS_LABEL:
  case IDC_DRIVES_LABEL:
  case IDC_USB_HINT:
  case IDC_WAIT_BUTTON: return ButtonLayout{0, 0};
  case IDC_BRAND_LABEL:
  case IDC_EDITION_LABEL:
  case IDC_INSTALLER_LABEL:
  case IDC_MSG_TEXT:
  case IDC_BLANK_LABEL:
  case IDC_LANGUAGE_LABEL:
  case IDC_LANGUAGE_COMBO: return ButtonLayout{1, 0};
  default: return ButtonLayout{1, 1};
  }
}

const char *ButtonLabel(int id, int wizardPage, ButtonLabelKind *kind) {
  *kind = LabelFixed;
  switch (id) {
  case 1: return LabelOk;     // IDOK
  case 2: return LabelCancel; // IDCANCEL
  case IDC_BACK: return LabelBack;
  case 6: return LabelYes; // IDYES
  case 7: return LabelNo;  // IDNO
  case IDC_NEXT: return wizardPage == PageLicence ? LabelAgreeInstall : LabelNext;
  case IDC_BROWSE: return LabelBrowse;
  case IDC_PATH_LABEL: return LabelInstallPath;
  case IDC_DIRS_LABEL: return LabelDirectories;
  case IDC_BRAND_LABEL: return LabelBrand;
  case IDC_DRIVES_LABEL: return LabelDrives;
  case IDC_EDITION_LABEL: return LabelEdition;
  case IDC_INSTALLER_LABEL: return LabelInstaller;
  case IDC_USB_HINT: return LabelUsbHint;
  case IDC_LANGUAGE_LABEL: return LabelLanguage;
  case IDC_WAIT_BUTTON: return "";
  case IDC_BLANK_LABEL: *kind = LabelNone; return nullptr;
  default: *kind = LabelWindowText; return nullptr;
  }
}

int ButtonFrameSegments(int l, int t, int r, int b, int isDefault, FrameSegment *segments) {
  int n = 0;
  auto line = [&](FramePen pen, int x0, int y0, int x1, int y1) { segments[n++] = FrameSegment{pen, x0, y0, x1, y1}; };
  for (int i = 1; i <= 2; ++i) { // two concentric rings
    line(FramePenA, l + i, b - i - 1, l + i, t + i);
    line(FramePenA, l + i, t + i, r - i - 1, t + i);
    line(FramePenB, r - i - 1, t + i, r - i - 1, b - i - 1);
    line(FramePenB, r - i - 1, b - i - 1, l + i, b - i - 1);
  }
  if (isDefault) {
    line(FramePenText, l, b - 1, l, t);
    line(FramePenText, l, t, r - 1, t);
    line(FramePenText, r - 1, t, r - 1, b - 1);
    line(FramePenText, r - 1, b - 1, l, b - 1);
    line(FramePenText, l + 1, b - 2, r - 2, b - 2);
    line(FramePenText, r - 2, b - 2, r - 2, t + 1);
  } else {
    line(FramePenB, l + 1, b - 1, r - 1, b - 1);
    line(FramePenB, r - 1, b - 1, r - 1, t);
  }
  return n;
}
