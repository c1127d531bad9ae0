#include <windows.h>

#include "app/globals.h"
#include "glyph/glyph_font.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
  if (previousInstance)
    return 0;
  AppInstance = instance;
  GlyphFontOutcome outcome = LoadGlyphFont();
  ReleaseGlyphFont();
  return outcome == GlyphFontBuilt ? 0 : 1;
}
