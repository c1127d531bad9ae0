// Where a self-painted check box puts its glyph and its label. Portable.
#include "ui/check_box_geometry.h"

CheckBoxGeometry ComputeCheckBoxGeometry(int clientWidth, int clientHeight, int kind) {
  CheckBoxGeometry g;
  g.area = BoxRect{-2, -2, clientWidth + 2, clientHeight + 2};
  int s = g.area.bottom - g.area.top;
  BoxRect box = {g.area.left, g.area.top, g.area.left + s, g.area.bottom};
  bool checkKind = kind == 2 || kind == 3, radioKind = kind == 4 || kind == 9;
  if (checkKind) {
    box = BoxRect{box.left + s / 4, box.top + s / 4, box.right - s / 4, box.bottom - s / 4};
    box.top -= 1;
    box.left -= s / 8;
    box.right -= s / 7;
    box.bottom -= 3;
  } else {
    box = BoxRect{box.left + s / 12, box.top + s / 12, box.right - s / 12, box.bottom - s / 12};
    box.left -= 1;
    box.top += 1;
    box.bottom -= 2;
    box.right -= s / 5;
  }
  g.box = box;
  g.glyph = radioKind ? GlyphRadio : GlyphCheckBox;
  g.labelX = 2 * box.right - box.left;
  g.labelY = g.area.top + 3;
  return g;
}

BoxRect CheckBoxFocusRect(const CheckBoxGeometry &g, int labelWidth, int labelHeight) {
  return BoxRect{g.labelX - 1, g.labelY - 1, g.labelX + labelWidth + 3, g.labelY + labelHeight + 2};
}
