#include "support/TestPictures.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <stdexcept>

namespace pixkeeper::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;
constexpr std::uint32_t kSrgb = 0x73524742;   // 'sRGB'
constexpr std::uint32_t kGmImages = 4;

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
  }
}

void PutZeros(Bytes& out, std::size_t count) { out.insert(out.end(), count, 0); }

// Direct-colour pixels: every channel steps by a different odd amount, so no
// pixel equals its neighbour even after the 16-bit formats drop low bits.
Rgb Pattern(int x, int y) {
  return {static_cast<std::uint8_t>((x * 37 + y * 11) & 0xFF),
          static_cast<std::uint8_t>((x * 13 + y * 59 + 40) & 0xFF),
          static_cast<std::uint8_t>((x * 5 + y * 83 + 200) & 0xFF)};
}

// A colourful palette entry (never grey for the indices used).
Rgb PaletteColour(unsigned i) {
  return {static_cast<std::uint8_t>((i * 37 + 16) & 0xFF),
          static_cast<std::uint8_t>((i * 101 + 50) & 0xFF),
          static_cast<std::uint8_t>(255 - (i * 2 & 0xFF))};
}

// Widening 5 and 6 bit channels by repeating the high bits: exact at 0 and at
// the top, and what decoders do.
std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

enum class Header { kCore, kInfo, kV4, kV5 };

struct Variant {
  const char* name;
  Header header;
  unsigned bitCount;
  std::uint32_t compression;
  unsigned tableSize;       // palette entries stored (0: none)
  std::uint32_t clrUsed;    // as written in the header
  bool topDown;
  bool sizeImageZero;       // biSizeImage left 0, as some programs do
  int defaultWidth, defaultHeight;
};

const std::array<Variant, 16> kVariants = {{
    {"pal1", Header::kInfo, 1, kRgb, 2, 2, false, false, 37, 23},
    {"pal4", Header::kInfo, 4, kRgb, 16, 0, false, false, 37, 23},
    {"pal8", Header::kInfo, 8, kRgb, 100, 100, false, false, 37, 23},
    {"rgb555", Header::kInfo, 16, kRgb, 0, 0, false, false, 37, 23},
    {"bitfields565", Header::kInfo, 16, kBitfields, 0, 0, false, false, 37, 23},
    {"rgb24", Header::kInfo, 24, kRgb, 0, 0, false, false, 37, 23},
    {"rgb32", Header::kInfo, 32, kRgb, 0, 0, false, true, 37, 23},
    {"bitfields32", Header::kInfo, 32, kBitfields, 0, 0, false, false, 37, 23},
    {"topdown24", Header::kInfo, 24, kRgb, 0, 0, true, false, 37, 23},
    {"topdown32", Header::kInfo, 32, kRgb, 0, 0, true, false, 37, 23},
    {"v4bitfields32", Header::kV4, 32, kBitfields, 0, 0, false, false, 37, 23},
    {"v5rgb24", Header::kV5, 24, kRgb, 0, 0, false, false, 37, 23},
    {"rle8", Header::kInfo, 8, kRle8, 64, 64, false, false, 37, 23},
    {"rle4", Header::kInfo, 4, kRle4, 16, 16, false, false, 37, 23},
    {"core8", Header::kCore, 8, kRgb, 256, 0, false, false, 37, 23},
    {"core24", Header::kCore, 24, kRgb, 0, 0, false, false, 37, 23},
}};

const Variant& FindVariant(const std::string& name) {
  for (const Variant& v : kVariants) {
    if (name == v.name) return v;
  }
  throw std::invalid_argument("unknown test picture: " + name);
}

// Colour-table index of a pixel; neighbours always differ.
unsigned PaletteIndex(const Variant& v, int x, int y) {
  const unsigned ux = static_cast<unsigned>(x), uy = static_cast<unsigned>(y);
  if (v.compression == kRle4) {
    // Alternating pairs, the shape that RLE4's encoded runs describe.
    return (ux & 1) ? (uy * 3 + 7) % 16 : (uy * 5) % 16;
  }
  switch (v.bitCount) {
    case 1: return (ux + uy) & 1;
    case 4: return (ux + 2 * uy) % 16;
    default: break;
  }
  if (v.compression == kRle8) return (ux * 5 + uy * 3) % 64;
  if (v.header == Header::kCore) return (ux * 11 + uy * 17) & 0xFF;
  return (ux * 7 + uy * 13) % 100;
}

std::uint16_t Pixel555(Rgb c) {
  return static_cast<std::uint16_t>(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
}
std::uint16_t Pixel565(Rgb c) {
  return static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}

// What a viewer shows for the pixel at (x, y).
Rgb Expected(const Variant& v, int x, int y) {
  if (v.bitCount <= 8) return PaletteColour(PaletteIndex(v, x, y));
  const Rgb c = Pattern(x, y);
  if (v.bitCount == 16 && v.compression == kRgb) {
    return {Widen5(c.r >> 3), Widen5(c.g >> 3), Widen5(c.b >> 3)};
  }
  if (v.bitCount == 16) return {Widen5(c.r >> 3), Widen6(c.g >> 2), Widen5(c.b >> 3)};
  return c;
}

// One uncompressed row, padded to a multiple of four bytes.
Bytes PackedRow(const Variant& v, int y, int width) {
  Bytes row;
  if (v.bitCount <= 8) {
    unsigned acc = 0, bits = 0;
    for (int x = 0; x < width; ++x) {
      acc = (acc << v.bitCount) | PaletteIndex(v, x, y);
      bits += v.bitCount;
      if (bits == 8) {
        row.push_back(static_cast<std::uint8_t>(acc));
        acc = bits = 0;
      }
    }
    if (bits > 0) row.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
  } else {
    for (int x = 0; x < width; ++x) {
      const Rgb c = Pattern(x, y);
      if (v.bitCount == 16) {
        Put16(row, v.compression == kRgb ? Pixel555(c) : Pixel565(c));
      } else {
        row.push_back(c.b);
        row.push_back(c.g);
        row.push_back(c.r);
        if (v.bitCount == 32) row.push_back(0);
      }
    }
  }
  while (row.size() % 4 != 0) row.push_back(0);
  return row;
}

// RLE8 row: the first pixel as an encoded run, the rest in absolute runs
// (which need at least three pixels), short tails as encoded runs.
void Rle8Row(const Variant& v, int y, int width, Bytes& out) {
  int x = 0;
  out.push_back(1);
  out.push_back(static_cast<std::uint8_t>(PaletteIndex(v, x++, y)));
  while (x < width) {
    const int left = width - x;
    if (left < 3) {
      out.push_back(1);
      out.push_back(static_cast<std::uint8_t>(PaletteIndex(v, x++, y)));
      continue;
    }
    const int count = std::min(left, 255);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(count));
    for (int i = 0; i < count; ++i) {
      out.push_back(static_cast<std::uint8_t>(PaletteIndex(v, x++, y)));
    }
    if (count % 2 != 0) out.push_back(0);  // absolute runs end on a word
  }
}

// RLE4 row: four pixels in an absolute run, then encoded runs of the
// alternating pair (even lengths keep the pair in step).
void Rle4Row(const Variant& v, int y, int width, Bytes& out) {
  int x = 0;
  if (width >= 4) {
    out.push_back(0);
    out.push_back(4);
    for (int i = 0; i < 2; ++i, x += 2) {
      out.push_back(static_cast<std::uint8_t>((PaletteIndex(v, x, y) << 4) |
                                              PaletteIndex(v, x + 1, y)));
    }
  }
  while (x < width) {
    const int count = std::min(width - x, 254);
    out.push_back(static_cast<std::uint8_t>(count));
    out.push_back(static_cast<std::uint8_t>((PaletteIndex(v, x, y) << 4) |
                                            PaletteIndex(v, x + 1, y)));
    x += count;
  }
}

Bytes PixelData(const Variant& v, int width, int height) {
  Bytes out;
  for (int i = 0; i < height; ++i) {
    const int y = v.topDown ? i : height - 1 - i;  // rows as stored
    if (v.compression == kRle8 || v.compression == kRle4) {
      if (v.compression == kRle8) {
        Rle8Row(v, y, width, out);
      } else {
        Rle4Row(v, y, width, out);
      }
      out.push_back(0);  // end of line
      out.push_back(0);
    } else {
      const Bytes row = PackedRow(v, y, width);
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  if (v.compression == kRle8 || v.compression == kRle4) {
    out.push_back(0);  // end of bitmap
    out.push_back(1);
  }
  return out;
}

struct Masks {
  std::uint32_t red = 0, green = 0, blue = 0;
};

Masks MasksOf(const Variant& v) {
  if (v.compression != kBitfields) return {};
  if (v.bitCount == 16) return {0xF800, 0x07E0, 0x001F};
  return {0x00FF0000, 0x0000FF00, 0x000000FF};
}

void PutHeader(const Variant& v, int width, int height, std::uint32_t imageSize, Bytes& out) {
  if (v.header == Header::kCore) {
    Put32(out, 12);
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    Put16(out, 1);
    Put16(out, v.bitCount);
    return;
  }
  const std::uint32_t size = v.header == Header::kInfo ? 40 : v.header == Header::kV4 ? 108 : 124;
  Put32(out, size);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(v.topDown ? -height : height));
  Put16(out, 1);
  Put16(out, v.bitCount);
  Put32(out, v.compression);
  Put32(out, v.sizeImageZero ? 0 : imageSize);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, v.clrUsed);
  Put32(out, 0);
  if (v.header == Header::kInfo) return;
  const Masks m = MasksOf(v);
  Put32(out, m.red);
  Put32(out, m.green);
  Put32(out, m.blue);
  Put32(out, 0);  // alpha
  Put32(out, kSrgb);
  PutZeros(out, 36 + 12);  // endpoints and gamma, unused with sRGB
  if (v.header == Header::kV4) return;
  Put32(out, kGmImages);
  PutZeros(out, 12);  // no profile, reserved
}

}  // namespace

std::vector<std::string> TestPictureNames() {
  std::vector<std::string> names;
  for (const Variant& v : kVariants) names.emplace_back(v.name);
  return names;
}

TestPicture MakeTestPicture(const std::string& name, int width, int height) {
  const Variant& v = FindVariant(name);
  if (width == 0) width = v.defaultWidth;
  if (height == 0) height = v.defaultHeight;
  if (width < 1 || height < 1 || width > 16384 || height > 16384) {
    throw std::invalid_argument("test picture size out of range");
  }

  TestPicture picture;
  picture.name = name;
  picture.width = width;
  picture.height = height;

  const Bytes pixels = PixelData(v, width, height);
  PutHeader(v, width, height, static_cast<std::uint32_t>(pixels.size()), picture.dib);
  if (v.compression == kBitfields && v.header == Header::kInfo) {
    const Masks m = MasksOf(v);
    Put32(picture.dib, m.red);
    Put32(picture.dib, m.green);
    Put32(picture.dib, m.blue);
  }
  for (unsigned i = 0; i < v.tableSize; ++i) {
    const Rgb c = PaletteColour(i);
    picture.dib.push_back(c.b);
    picture.dib.push_back(c.g);
    picture.dib.push_back(c.r);
    if (v.header != Header::kCore) picture.dib.push_back(0);
  }
  picture.dib.insert(picture.dib.end(), pixels.begin(), pixels.end());

  picture.rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = Expected(v, x, y);
      picture.rgb.push_back(c.r);
      picture.rgb.push_back(c.g);
      picture.rgb.push_back(c.b);
    }
  }
  return picture;
}

}  // namespace pixkeeper::testing
