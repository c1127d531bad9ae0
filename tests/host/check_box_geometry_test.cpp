#include <gtest/gtest.h>

#include "ui/check_box_geometry.h"

namespace {

TEST(CheckBoxGeometry, WorkedExampleBothGeometries) {
  struct Case {
    int kind;
    BoxRect box;
    CheckGlyphKind glyph;
    int labelX;
  } cases[] = {
      {2, {2, 4, 17, 18}, GlyphCheckBox, 32},     {3, {2, 4, 17, 18}, GlyphCheckBox, 32},
      {4, {-1, 1, 20, 24}, GlyphRadio, 41},       {9, {-1, 1, 20, 24}, GlyphRadio, 41},
      {0x23, {-1, 1, 20, 24}, GlyphCheckBox, 41}, {11, {-1, 1, 20, 24}, GlyphCheckBox, 41},
  };
  for (const Case &c : cases) {
    CheckBoxGeometry g = ComputeCheckBoxGeometry(200, 26, c.kind);
    EXPECT_EQ(g.area.top, -2);
    EXPECT_EQ(g.area.bottom, 28);
    EXPECT_EQ(g.area.right, 202);
    EXPECT_EQ(g.box.left, c.box.left) << c.kind;
    EXPECT_EQ(g.box.top, c.box.top) << c.kind;
    EXPECT_EQ(g.box.right, c.box.right) << c.kind;
    EXPECT_EQ(g.box.bottom, c.box.bottom) << c.kind;
    EXPECT_EQ(g.glyph, c.glyph) << c.kind;
    EXPECT_EQ(g.labelX, c.labelX) << c.kind;
    EXPECT_EQ(g.labelY, 1);
  }
  CheckBoxGeometry g = ComputeCheckBoxGeometry(200, 26, 3);
  BoxRect f = CheckBoxFocusRect(g, 57, 16);
  EXPECT_EQ(f.left, 31);
  EXPECT_EQ(f.top, 0);
  EXPECT_EQ(f.right, 35 + 57);
  EXPECT_EQ(f.bottom, 19);
}

} // namespace
