#include "SamplePictures.h"

#include <cstring>
#include <stdexcept>

namespace pixkeeper::test {

namespace {

constexpr int kWidth = 13;
constexpr int kHeight = 7;
constexpr int kPaletteSize = 16;

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutInfoHeader(std::vector<std::uint8_t>& out, int height, int bits, std::uint32_t compression,
                   std::uint32_t imageSize, std::uint32_t colours) {
  Put32(out, 40);
  Put32(out, kWidth);
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(bits));
  Put32(out, compression);
  Put32(out, imageSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, colours);
  Put32(out, 0);
}

int PaletteIndex(int x, int y) { return (x + 3 * y) % kPaletteSize; }

void PaletteColour(int index, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
  red = static_cast<std::uint8_t>(index * 16);
  green = static_cast<std::uint8_t>(255 - index * 15);
  blue = static_cast<std::uint8_t>((index * 97) & 0xFF);
}

}  // namespace

void SampleColour(int x, int y, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
  red = static_cast<std::uint8_t>(x * 19 + 7);
  green = static_cast<std::uint8_t>(y * 36 + 3);
  blue = static_cast<std::uint8_t>((x * y * 5 + 200) & 0xFF);
}

SamplePicture MakeSamplePicture(const std::string& kind) {
  SamplePicture picture;
  picture.width = kWidth;
  picture.height = kHeight;
  const bool palette = kind == "palette8";
  const bool bitfields = kind == "bitfields32";
  const bool topDown = kind == "topdown24";
  if (!palette && !bitfields && !topDown && kind != "rgb24") {
    throw std::invalid_argument("unknown sample picture " + kind);
  }
  const int bits = palette ? 8 : bitfields ? 32 : 24;
  const int stride = (kWidth * bits + 31) / 32 * 4;
  std::vector<std::uint8_t>& dib = picture.dib;
  PutInfoHeader(dib, topDown ? -kHeight : kHeight, bits, bitfields ? 3 : 0,
                static_cast<std::uint32_t>(stride * kHeight), palette ? kPaletteSize : 0);
  if (bitfields) {
    // Red in the low byte, blue in the third: a reader that ignores the masks
    // swaps red and blue.
    Put32(dib, 0x000000FF);
    Put32(dib, 0x0000FF00);
    Put32(dib, 0x00FF0000);
  }
  if (palette) {
    for (int i = 0; i < kPaletteSize; ++i) {
      std::uint8_t r, g, b;
      PaletteColour(i, r, g, b);
      dib.insert(dib.end(), {b, g, r, 0});
    }
  }
  for (int row = 0; row < kHeight; ++row) {
    const int y = topDown ? row : kHeight - 1 - row;  // stored rows to picture rows
    std::vector<std::uint8_t> line(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t r, g, b;
      if (palette) {
        line[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(PaletteIndex(x, y));
        continue;
      }
      SampleColour(x, y, r, g, b);
      if (bitfields) {
        std::uint8_t* p = &line[static_cast<std::size_t>(x) * 4];
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = 0;
      } else {
        std::uint8_t* p = &line[static_cast<std::size_t>(x) * 3];
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
    }
    dib.insert(dib.end(), line.begin(), line.end());
  }
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t r, g, b;
      if (palette) {
        PaletteColour(PaletteIndex(x, y), r, g, b);
      } else {
        SampleColour(x, y, r, g, b);
      }
      picture.rgb.insert(picture.rgb.end(), {r, g, b});
    }
  }
  return picture;
}

}  // namespace pixkeeper::test
