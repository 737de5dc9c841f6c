#include "support/TestPictures.h"

#include <stdexcept>

namespace pixkeeper::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Variant {  // header size 12, 40, 108 or 124; clrUsed as written in the header
  const char* name; std::uint32_t headerSize; unsigned bitCount, compression, tableSize; std::uint32_t clrUsed;
  bool topDown = false, sizeImageZero = false;
};

const Variant kVariants[] = {
    {"pal1", 40, 1, 0, 2, 2}, {"pal4", 40, 4, 0, 16, 0}, {"pal8", 40, 8, 0, 100, 100}, {"rgb555", 40, 16, 0, 0, 0},
    {"bitfields565", 40, 16, 3, 0, 0}, {"rgb24", 40, 24, 0, 0, 0}, {"rgb32", 40, 32, 0, 0, 0, false, true},
    {"bitfields32", 40, 32, 3, 0, 0}, {"topdown24", 40, 24, 0, 0, 0, true}, {"topdown32", 40, 32, 0, 0, 0, true},
    {"v4bitfields32", 108, 32, 3, 0, 0}, {"v5rgb24", 124, 24, 0, 0, 0}, {"rle8", 40, 8, 1, 64, 64},
    {"rle4", 40, 4, 2, 16, 16}, {"core8", 12, 8, 0, 256, 0}, {"core24", 12, 24, 0, 0, 0}};

void Put(Bytes& out, std::uint32_t value, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// 0xRRGGBB. Direct colours step each channel by a different odd amount, so no
// pixel equals its neighbour even in 16 bits; palette entries are never grey.
std::uint32_t Direct(unsigned x, unsigned y) {
  return ((x * 37 + y * 11) & 0xFF) << 16 | ((x * 13 + y * 59 + 40) & 0xFF) << 8 | ((x * 5 + y * 83 + 200) & 0xFF);
}
std::uint32_t Palette(unsigned i) {
  return ((i * 37 + 16) & 0xFF) << 16 | ((i * 101 + 50) & 0xFF) << 8 | (255 - i % 128 * 2);
}
unsigned Index(const Variant& v, unsigned x, unsigned y) { return (x * 7 + y * 13) % (v.tableSize ? v.tableSize : 1); }

// A 16-bit pixel (5 or 6 bits of green), and the colour a decoder shows for
// it: each channel widened again by repeating its high bits.
std::uint32_t Pixel16(std::uint32_t c, int green) {
  return (c >> 19) << (5 + green) | (c >> (16 - green) & ((1u << green) - 1)) << 5 | (c & 0xFF) >> 3;
}
std::uint32_t Shown16(std::uint32_t p, int green) {
  const auto widen = [](std::uint32_t v, int bits) { return (v << (8 - bits) | v >> (2 * bits - 8)) & 0xFF; };
  return widen(p >> (5 + green), 5) << 16 | widen(p >> 5 & ((1u << green) - 1), green) << 8 | widen(p & 31, 5);
}

// The packed DIB, and in `rgb` when given the pixels it shows, top row first.
Bytes MakeDib(const Variant& v, int width, int height, Bytes* rgb = nullptr) {
  const bool rle = v.compression == 1 || v.compression == 2;
  const int green = v.compression == 3 ? 6 : 5;
  Bytes pixels;
  if (rgb) rgb->resize(3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    const unsigned y = static_cast<unsigned>(v.topDown ? row : height - 1 - row);
    const std::size_t start = pixels.size();
    unsigned acc = 0, bits = 0;
    for (unsigned x = 0; x < static_cast<unsigned>(width); ++x) {
      std::uint32_t shown = v.bitCount <= 8 ? Palette(Index(v, x, y)) : Direct(x, y);
      if (rle) {  // each pixel a run of one
        Put(pixels, 1 | Index(v, x, y) << (v.compression == 2 ? 12 : 8), 2);
      } else if (v.bitCount <= 8) {
        acc = acc << v.bitCount | Index(v, x, y);
        if ((bits += v.bitCount) == 8) pixels.push_back(static_cast<std::uint8_t>(acc)), acc = bits = 0;
      } else {
        const std::uint32_t stored = v.bitCount == 16 ? Pixel16(shown, green) : shown;
        Put(pixels, stored, static_cast<int>(v.bitCount / 8));
        if (v.bitCount == 16) shown = Shown16(stored, green);
      }
      const std::size_t at = (y * static_cast<unsigned>(width) + x) * 3;
      for (int i = 0; rgb && i < 3; ++i) (*rgb)[at + i] = static_cast<std::uint8_t>(shown >> (16 - 8 * i));
    }
    if (bits > 0) pixels.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
    while (!rle && (pixels.size() - start) % 4 != 0) pixels.push_back(0);
    if (rle) Put(pixels, 0, 2);  // end of line
  }
  if (rle) Put(pixels, 0x100, 2);  // end of picture

  Bytes dib;
  Put(dib, v.headerSize);
  const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(v.topDown ? -height : height);
  if (v.headerSize == 12) {
    Put(dib, w | h << 16), Put(dib, 1 | v.bitCount << 16);
  } else {
    Put(dib, w), Put(dib, h), Put(dib, 1 | v.bitCount << 16), Put(dib, v.compression);
    Put(dib, v.sizeImageZero ? 0 : static_cast<std::uint32_t>(pixels.size())), Put(dib, 2835), Put(dib, 2835);
    Put(dib, v.clrUsed), Put(dib, 0);
  }
  if (v.compression == 3) {  // the masks: inside the header from V4 on, else after it
    const bool wide = v.bitCount == 32;
    Put(dib, wide ? 0xFF0000 : 0xF800), Put(dib, wide ? 0xFF00 : 0x07E0), Put(dib, wide ? 0xFF : 0x1F);
  }
  if (v.headerSize > 40) {
    dib.resize(52, 0), Put(dib, 0), Put(dib, 0x73524742);  // no alpha; sRGB
    dib.resize(v.headerSize, 0);                             // no profile
  }
  for (unsigned i = 0; i < v.tableSize; ++i) Put(dib, Palette(i), v.headerSize == 12 ? 3 : 4);
  dib.insert(dib.end(), pixels.begin(), pixels.end());
  return dib;
}

}  // namespace

std::vector<std::string> TestPictureNames() {
  std::vector<std::string> names;
  for (const Variant& v : kVariants) names.emplace_back(v.name);
  return names;
}

TestPicture MakeTestPicture(const std::string& name, int width, int height) {
  width = width ? width : 37, height = height ? height : 23;
  if (width < 1 || height < 1 || width > 16384 || height > 16384) throw std::invalid_argument("size out of range");
  for (const Variant& v : kVariants) {
    TestPicture picture{name, {}, width, height, {}};
    if (name == v.name) return picture.dib = MakeDib(v, width, height, &picture.rgb), picture;
  }
  throw std::invalid_argument("unknown test picture: " + name);
}

std::vector<std::uint8_t> V5Picture(bool masksAfterHeader, std::uint32_t profileSize, int width, int height) {
  Bytes dib = MakeDib({"v5bitfields32", 124, 32, 3, 0, 0}, width, height);
  if (masksAfterHeader) dib.insert(dib.begin() + 124, dib.begin() + 40, dib.begin() + 52);
  if (profileSize != 0) {
    Set32(dib, 56, 0x4D424544);  // 'MBED'
    Set32(dib, 112, static_cast<std::uint32_t>(dib.size())), Set32(dib, 116, profileSize);
    for (std::uint32_t i = 0; i < profileSize; ++i) dib.push_back(static_cast<std::uint8_t>(i * 7));
  }
  return dib;
}

void Set32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace pixkeeper::testing
