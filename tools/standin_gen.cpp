// Makes stand-ins for the application's own files when the maker's payload directory is not given: each of the
// manifest's size and kind, deterministic, so that sizes, compression ratios and timings are realistic.
//
//   standin_gen OUTDIR STANDIN_EXE
//
// STANDIN_EXE is a small working Win32 program that says it is a stand-in; program rows are copies of it, padded.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "file_io.h"
#include "install/manifest.h"

namespace {

typedef std::vector<unsigned char> Bytes;

struct Rng {
  unsigned state;
  unsigned Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  unsigned Below(unsigned n) { return Next() % n; }
};

void Append(Bytes &b, const std::string &s) { b.insert(b.end(), s.begin(), s.end()); }

// Binary tables: runs of slowly rising 16-bit values with small noise, like code tables and indexes.
Bytes MakeTable(Rng &rng, size_t size) {
  Bytes b;
  unsigned base = rng.Below(4096);
  while (b.size() < size) {
    if (rng.Below(64) == 0)
      base = rng.Below(40000);
    base += rng.Below(4);
    unsigned v = base + rng.Below(8);
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>(v >> 8));
  }
  b.resize(size);
  return b;
}

void AppendGbkHanzi(Bytes &b, Rng &rng) {
  b.push_back(static_cast<unsigned char>(0xB0 + rng.Below(0xD7 - 0xB0)));
  b.push_back(static_cast<unsigned char>(0xA1 + rng.Below(94)));
}

// One line of GBK hanzi, each followed by its rank.
Bytes MakeSortText(Rng &rng, size_t size) {
  Bytes b;
  for (int rank = 1; b.size() < size; ++rank) {
    AppendGbkHanzi(b, rng);
    Append(b, std::to_string(rank));
  }
  b.resize(size);
  return b;
}

void AppendUtf8(Bytes &b, unsigned cp) {
  b.push_back(static_cast<unsigned char>(0xE0 | cp >> 12));
  b.push_back(static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F)));
  b.push_back(static_cast<unsigned char>(0x80 | (cp & 0x3F)));
}

// Dictionary lines: traditional and simplified headwords, pinyin and English glosses, LF line ends.
Bytes MakeDictionary(Rng &rng, size_t size) {
  static const char *const syllables[] = {"zhong", "guo",  "ren", "da",  "xiao", "shan",  "shui",
                                          "ming",  "tian", "di",  "hao", "xue",  "sheng", "wen",
                                          "zi",    "yu",   "hua", "kai", "men",  "jia"};
  static const char *const words[] = {"mountain", "water", "bright",   "heaven", "earth", "good", "study",  "life",
                                      "writing",  "word",  "language", "flower", "open",  "door", "family", "great"};
  Bytes b;
  Append(b, "# Vellumine stand-in dictionary: generated text of the shape of the maker's, not a real dictionary\n");
  while (b.size() < size) {
    unsigned n = 1 + rng.Below(4);
    std::vector<unsigned> chars;
    for (unsigned i = 0; i < n; ++i)
      chars.push_back(0x4E00 + rng.Below(0x9FA5 - 0x4E00));
    for (unsigned c : chars)
      AppendUtf8(b, c);
    b.push_back(' ');
    for (unsigned c : chars)
      AppendUtf8(b, rng.Below(5) ? c : c + 1);
    Append(b, " [");
    for (unsigned i = 0; i < n; ++i) {
      if (i)
        b.push_back(' ');
      Append(b, syllables[rng.Below(20)]);
      Append(b, std::to_string(1 + rng.Below(5)));
    }
    Append(b, "] /");
    for (unsigned g = 1 + rng.Below(3); g > 0; --g) {
      Append(b, words[rng.Below(16)]);
      if (rng.Below(2)) {
        b.push_back(' ');
        Append(b, words[rng.Below(16)]);
      }
      b.push_back('/');
    }
    b.push_back('\n');
  }
  b.resize(size);
  b.back() = '\n';
  return b;
}

Bytes MakeHelpFile(Rng &rng, size_t size) {
  Bytes b;
  Append(b, "ITSF");
  Bytes rest = MakeTable(rng, size - 4);
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

void PutBe32(Bytes &b, unsigned v) {
  for (int s = 24; s >= 0; s -= 8)
    b.push_back(static_cast<unsigned char>(v >> s));
}

void PngChunk(Bytes &png, const char *type, const Bytes &data) {
  PutBe32(png, static_cast<unsigned>(data.size()));
  size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  unsigned long crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
  PutBe32(png, static_cast<unsigned>(crc));
}

Bytes RandomBytes(Rng &rng, size_t n) {
  Bytes b(n);
  for (auto &c : b)
    c = static_cast<unsigned char>(rng.Next() >> 24);
  return b;
}

// A real PNG of the given size: a screenshot-like picture, padded to the file size with a private chunk.
Bytes MakePng(Rng &rng, int w, int h, size_t size, bool &ok) {
  Bytes raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      bool bar = (y / 24) % 3 == 0, frame = x % 97 < 2 || y % 61 < 2;
      unsigned char g = static_cast<unsigned char>(frame ? 96 : bar ? 200 : 236 - (x + y) % 16);
      raw.push_back(g);
      raw.push_back(g);
      raw.push_back(static_cast<unsigned char>(bar ? 255 : g));
    }
  }
  uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
  Bytes z(zlen);
  compress2(z.data(), &zlen, raw.data(), static_cast<uLong>(raw.size()), 9);
  z.resize(zlen);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBe32(ihdr, static_cast<unsigned>(w));
  PutBe32(ihdr, static_cast<unsigned>(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  PngChunk(png, "IHDR", ihdr);
  PngChunk(png, "IDAT", z);
  size_t pad = size - png.size() - 12 - 12;
  ok = png.size() + 24 <= size;
  if (ok)
    PngChunk(png, "veSt", RandomBytes(rng, pad));
  PngChunk(png, "IEND", Bytes());
  return png;
}

// A real JPEG, padded to the file size with comment segments after the start-of-image marker.
Bytes MakeJpeg(Rng &rng, size_t size, bool &ok) {
  const int w = 160, h = 120;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char *out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&c, &out, &outSize);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 80, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(w * 3);
  unsigned tint = rng.Below(64);
  while (c.next_scanline < c.image_height) {
    int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = static_cast<unsigned char>(x + tint);
      row[3 * x + 1] = static_cast<unsigned char>(y * 2);
      row[3 * x + 2] = static_cast<unsigned char>(((x / 20 + y / 20) % 2) ? 220 : 90);
    }
    JSAMPROW rp = row.data();
    jpeg_write_scanlines(&c, &rp, 1);
  }
  jpeg_finish_compress(&c);
  Bytes jpg(out, out + outSize);
  free(out);
  jpeg_destroy_compress(&c);
  ok = jpg.size() + 4 <= size;
  if (!ok)
    return jpg;
  Bytes pad;
  size_t need = size - jpg.size();
  while (need > 0) {
    size_t seg = need > 65535 + 2 ? 65535 + 2 : need;
    if (need - seg > 0 && need - seg < 4)
      seg -= 4;
    size_t body = seg - 4;
    pad.push_back(0xFF);
    pad.push_back(0xFE);
    pad.push_back(static_cast<unsigned char>((body + 2) >> 8));
    pad.push_back(static_cast<unsigned char>((body + 2) & 0xFF));
    Bytes r = RandomBytes(rng, body);
    pad.insert(pad.end(), r.begin(), r.end());
    need -= seg;
  }
  jpg.insert(jpg.begin() + 2, pad.begin(), pad.end());
  return jpg;
}

// The stand-in program followed by code-like filler, as an installer would carry a real one.
Bytes MakeProgram(Rng &rng, const Bytes &standin, size_t size, bool &ok) {
  ok = standin.size() <= size;
  Bytes b = standin;
  Bytes filler = MakeTable(rng, size - b.size());
  b.insert(b.end(), filler.begin(), filler.end());
  return b;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTDIR STANDIN_EXE\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  Bytes standin;
  if (!ReadFileBytes(argv[2], standin)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 1;
  }
  for (const ManifestRow &row : Manifest) {
    if (row.kind == KindAuthored || row.kind == KindAbsent)
      continue;
    Rng rng{0x9E3779B9u ^ row.id * 2654435761u};
    bool ok = true;
    Bytes b;
    switch (row.kind) {
    case KindTable: b = MakeTable(rng, row.size); break;
    case KindSortText: b = MakeSortText(rng, row.size); break;
    case KindDictionary: b = MakeDictionary(rng, row.size); break;
    case KindHelpFile: b = MakeHelpFile(rng, row.size); break;
    case KindPng: b = MakePng(rng, row.width, row.height, row.size, ok); break;
    case KindJpeg: b = MakeJpeg(rng, row.size, ok); break;
    case KindProgram: b = MakeProgram(rng, standin, row.size, ok); break;
    default: break;
    }
    if (!ok || b.size() != row.size) {
      std::fprintf(stderr, "cannot make a stand-in of %lu bytes for %s\n", row.size, row.destination);
      return 1;
    }
    if (!WriteFileBytes(dir + "/" + row.destination, b)) {
      std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), row.destination);
      return 1;
    }
  }
  return 0;
}
