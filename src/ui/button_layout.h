#ifndef VELLUMINE_UI_BUTTON_LAYOUT_H
#define VELLUMINE_UI_BUTTON_LAYOUT_H

// What an owner-drawn button or label looks like, decided by its identifier and state alone. Portable.

struct ButtonLayout {
  int centred; // the label is centred horizontally, else it starts at the left edge
  int framed;  // the 3D frame is drawn
};

ButtonLayout ButtonLayoutFor(int id);

enum ButtonLabelKind {
  LabelFixed,      // the text returned
  LabelNone,       // nothing at all is painted (1020)
  LabelWindowText, // the control's own window text
};

// The label of control id while the wizard shows page wizardPage; null unless the kind is LabelFixed. 1021's label
// is the empty text: its body is filled and nothing written.
const char *ButtonLabel(int id, int wizardPage, ButtonLabelKind *kind);

// The frame as one-pixel line segments, each painting its start point and not its end point. Pen A draws the upper
// and left edges (dark when pressed, else light), pen B the lower and right ones (light when pressed, else dark),
// the text pen the default button's outer line (in the button text colour: black in the default scheme).
enum FramePen { FramePenA, FramePenB, FramePenText };
struct FrameSegment {
  FramePen pen;
  int x0, y0, x1, y1;
};
enum { MaxFrameSegments = 16 };

// The segments for the rectangle (l, t, r, b), right and bottom exclusive; returns their count.
int ButtonFrameSegments(int l, int t, int r, int b, int isDefault, FrameSegment *segments);

#endif
