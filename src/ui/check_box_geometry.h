#ifndef VELLUMINE_UI_CHECK_BOX_GEOMETRY_H
#define VELLUMINE_UI_CHECK_BOX_GEOMETRY_H

// Where a self-painted check box puts its glyph and its label. Portable.

struct BoxRect {
  int left, top, right, bottom;
};

enum CheckGlyphKind { GlyphCheckBox, GlyphRadio };

struct CheckBoxGeometry {
  BoxRect area;         // the client rectangle grown by 2 on every side: filled with the button face
  BoxRect box;          // the check or radio glyph
  CheckGlyphKind glyph; // radio for the radio kinds, else a check box
  int labelX, labelY;   // the label's top-left corner
};

// For a client area of the given size and the low byte of the control's style (its button kind).
CheckBoxGeometry ComputeCheckBoxGeometry(int clientWidth, int clientHeight, int kind);

// The focus rectangle around a label of the given measured size.
BoxRect CheckBoxFocusRect(const CheckBoxGeometry &g, int labelWidth, int labelHeight);

#endif
