#include "ui/button_layout.h"

#include "ui/texts.h"

ButtonLayout ButtonLayoutFor(int id) {
  switch (id) {
  case 1006:
  case 1008:
  case 1010:
  case 1016:
  case 1021: return ButtonLayout{0, 0};
  case 1009:
  case 1011:
  case 1012:
  case 1013:
  case 1020:
  case 1017:
  case 1018: return ButtonLayout{1, 0};
  default: return ButtonLayout{1, 1};
  }
}

const char *ButtonLabel(int id, int wizardPage, ButtonLabelKind *kind) {
  *kind = LabelFixed;
  switch (id) {
  case 1: return LabelOk;
  case 2: return LabelCancel;
  case 3: return LabelBack;
  case 6: return LabelYes;
  case 7: return LabelNo;
  case 1001: return wizardPage == 2 ? LabelAgreeInstall : LabelNext;
  case 1003: return LabelBrowse;
  case 1006: return LabelInstallPath;
  case 1008: return LabelDirectories;
  case 1009: return LabelBrand;
  case 1010: return LabelDrives;
  case 1011: return LabelEdition;
  case 1012: return LabelInstaller;
  case 1016: return LabelUsbHint;
  case 1017: return LabelLanguage;
  case 1021: return "";
  case 1020: *kind = LabelNone; return nullptr;
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
