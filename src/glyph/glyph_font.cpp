// The built-in glyph font's sheets: built once at start-up from payload 110, released at the end.
#include "glyph/glyph_font.h"

#include <stdlib.h>
#include <string.h>

#include "store/payload_store.h"

GlyphSheet GlyphFont[GlyphSheetCount];

GlyphFontOutcome LoadGlyphFont() {
  unsigned char *buffer = static_cast<unsigned char *>(malloc(GlyphFontBufferSize));
  if (!buffer)
    return GlyphFontNoMemory;
  // Cells past the end of the data stay blank (all paper).
  memset(buffer, 0xFF, GlyphFontBufferSize);
  unsigned long length = 0;
  if (!InflatePayload(GlyphFontPayloadId, buffer, GlyphFontBufferSize, &length)) {
    free(buffer);
    return GlyphFontNotInflated;
  }
  for (int k = 0; k < GlyphSheetCount; ++k) {
    GlyphSheet &sheet = GlyphFont[k];
    sheet.bitmap = CreateBitmap(GlyphSheetWidth, GlyphSheetHeight, 1, 1, buffer + GlyphSheetBytes * k);
    if (!sheet.bitmap) {
      free(buffer);
      return GlyphFontSheetFailed;
    }
    sheet.context = CreateCompatibleDC(nullptr);
    if (!sheet.context) {
      free(buffer);
      return GlyphFontSheetFailed;
    }
    sheet.savedObject = SelectObject(sheet.context, sheet.bitmap);
  }
  free(buffer);
  return GlyphFontBuilt;
}

void ReleaseGlyphFont() {
  for (GlyphSheet &sheet : GlyphFont) {
    if (sheet.context) {
      SelectObject(sheet.context, sheet.savedObject);
      DeleteDC(sheet.context);
    }
    if (sheet.bitmap)
      DeleteObject(sheet.bitmap);
    sheet = GlyphSheet{};
  }
}
