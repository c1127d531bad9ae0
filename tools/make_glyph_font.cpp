// Builds the installer's glyph font, ChnBmp.bin, from GNU Unifont's hex file.
//
//   make_glyph_font unifont.hex ChnBmp.bin
//
// The font is a 512-pixel-wide 1-bit raster of 16x16 cells, 32 across, most significant bit leftmost, 1 = paper.
// Cells 0 to 657 hold GB2312 rows 1 to 7 (94 a row); the slots of row 6 hold the box-drawing set of row 9
// (positions 4 to 9 and 16 to 79). Cells 658 to 4412 hold the level-1 hanzi (rows 16 to 55); the rest is blank.
// Unifont draws some symbols 8 pixels wide: those are centred in the cell, box drawing is widened instead so that
// its lines reach the cell's edges.
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const int CellCount = 4416;
const int FontBytes = CellCount / 32 * 1024; // 141,312

struct Glyph {
  int width = 0;     // 8 or 16
  unsigned rows[16]; // ink bits, leftmost pixel in bit 15 (16 wide) or bit 7 (8 wide)
};

bool ReadUnifont(const char *path, std::map<unsigned, Glyph> &glyphs) {
  FILE *f = std::fopen(path, "r");
  if (!f)
    return false;
  char line[512];
  while (std::fgets(line, sizeof line, f)) {
    char *colon = std::strchr(line, ':');
    if (!colon)
      continue;
    unsigned cp = static_cast<unsigned>(std::strtoul(line, nullptr, 16));
    std::string hex(colon + 1);
    while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r'))
      hex.pop_back();
    Glyph g;
    if (hex.size() == 64)
      g.width = 16;
    else if (hex.size() == 32)
      g.width = 8;
    else
      continue;
    int digits = g.width / 4;
    for (int r = 0; r < 16; ++r)
      g.rows[r] = static_cast<unsigned>(
          std::strtoul(hex.substr(static_cast<size_t>(r * digits), static_cast<size_t>(digits)).c_str(), nullptr, 16));
    glyphs[cp] = g;
  }
  std::fclose(f);
  return true;
}

// The Unicode code point of a GB2312 code, or 0.
unsigned GbToUnicode(iconv_t cd, unsigned code) {
  char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  unsigned char out[4] = {0, 0, 0, 0};
  char *ip = in, *op = reinterpret_cast<char *>(out);
  size_t il = 2, ol = 4;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || ol != 0)
    return 0;
  return out[0] | out[1] << 8 | out[2] << 16 | static_cast<unsigned>(out[3]) << 24;
}

bool IsBoxDrawing(unsigned cp) { return cp >= 0x2500 && cp <= 0x257F; }

// The 16 rows of a glyph widened to 16 pixels.
void Widen(const Glyph &g, unsigned cp, unsigned rows[16]) {
  for (int r = 0; r < 16; ++r) {
    if (g.width == 16) {
      rows[r] = g.rows[r];
    } else if (IsBoxDrawing(cp)) {
      unsigned w = 0;
      for (int c = 0; c < 8; ++c)
        if (g.rows[r] & (0x80u >> c))
          w |= 0xC000u >> (2 * c);
      rows[r] = w;
    } else {
      rows[r] = g.rows[r] << 4;
    }
  }
}

void PutCell(std::vector<unsigned char> &font, int n, const unsigned rows[16]) {
  for (int p = 0; p < 16; ++p) {
    size_t at = static_cast<size_t>(1024 * (n / 32) + 64 * p + 2 * (n % 32));
    unsigned paper = ~rows[p] & 0xFFFFu;
    font[at] = static_cast<unsigned char>(paper >> 8);
    font[at + 1] = static_cast<unsigned char>(paper & 0xFF);
  }
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s unifont.hex ChnBmp.bin\n", argv[0]);
    return 2;
  }
  std::map<unsigned, Glyph> glyphs;
  if (!ReadUnifont(argv[1], glyphs)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  iconv_t cd = iconv_open("UTF-32LE", "GB2312");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::perror("iconv_open");
    return 1;
  }
  std::vector<unsigned char> font(FontBytes, 0xFF);
  int missing = 0;
  auto place = [&](int n, unsigned code) {
    unsigned cp = GbToUnicode(cd, code);
    if (cp == 0)
      return; // an unassigned slot stays blank
    auto it = glyphs.find(cp);
    if (it == glyphs.end()) {
      ++missing;
      return;
    }
    unsigned rows[16];
    Widen(it->second, cp, rows);
    PutCell(font, n, rows);
  };
  for (int row = 1; row <= 7; ++row)
    for (int pos = 1; pos <= 94; ++pos) {
      int n = 94 * (row - 1) + (pos - 1);
      if (row == 6) {
        if ((pos >= 4 && pos <= 9) || (pos >= 16 && pos <= 79))
          place(n, (0xA0u + 9) << 8 | (0xA0u + static_cast<unsigned>(pos)));
      } else {
        place(n, (0xA0u + static_cast<unsigned>(row)) << 8 | (0xA0u + static_cast<unsigned>(pos)));
      }
    }
  for (int row = 16; row <= 55; ++row)
    for (int pos = 1; pos <= 94; ++pos)
      place(658 + 94 * (row - 16) + (pos - 1),
            (0xA0u + static_cast<unsigned>(row)) << 8 | (0xA0u + static_cast<unsigned>(pos)));
  iconv_close(cd);
  if (missing) {
    std::fprintf(stderr, "%d characters have no Unifont glyph\n", missing);
    return 1;
  }
  FILE *out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(font.data(), 1, font.size(), out) != font.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
