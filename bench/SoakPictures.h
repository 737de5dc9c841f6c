#pragma once
// The pictures of the long run: each one made from its index, so that the
// saved file can be checked against it again afterwards.

#include <cstdint>
#include <string>
#include <vector>

namespace pixkeeper::soak {

using Bytes = std::vector<std::uint8_t>;

enum class Kind {
  kScreen32,   // 1920 x 1080, 32 bits, CF_DIB
  kSmall24,    // CF_DIB, 24 bits, some top-down
  kPalette8,   // CF_DIB, 8 bits with a palette of 256
  kPngOnly,    // only the registered format "PNG"
  kBitmap,     // CF_BITMAP (a device-dependent bitmap)
  kMedium32,   // CF_DIB, 32 bits, top-down
  kWithText,   // CF_DIB beside CF_UNICODETEXT: must be left alone
};

struct Shot {
  int index = 0;
  Kind kind = Kind::kSmall24;
  int width = 0, height = 0;
  bool topDown = false;
  bool saved() const { return kind != Kind::kWithText; }
};

const char* KindName(Kind kind);

// `count` shots in a fixed mix: the same for every run. With `dibsOnly`
// every picture is offered as a DIB alone.
std::vector<Shot> Plan(int count, bool dibsOnly);

// The picture as RGB bytes, rows from the top.
Bytes ExpectedRgb(const Shot& shot);

// As a DIB (header, palette, rows) for the clipboard.
Bytes MakeDib(const Shot& shot);
Bytes MakeScreenDib(int width, int height, int seed);  // 32 bits, bottom-up

// As a PNG file (8-bit RGB, stored zlib blocks).
Bytes MakePngFile(const Shot& shot);

// A BMP file's pixels as RGB rows from the top; empty (with `why`) when it
// cannot be read. `bits` gets the file's depth.
Bytes DecodeBmp(const Bytes& file, int* width, int* height, int* bits, std::string* why);

}  // namespace pixkeeper::soak
