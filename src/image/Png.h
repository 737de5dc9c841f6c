#pragma once
// What the program checks of PNG bytes from outside before the system's
// decoder sees them, and the DIB it makes of the decoded pixels.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixkeeper {

// The eight bytes every PNG file begins with.
inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct PngSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // The bytes up to and with the end marker; what follows (the clipboard's
  // memory may be rounded up) is not the picture's.
  std::size_t length = 0;
};

// True when the bytes begin with the PNG signature.
bool IsPng(const std::uint8_t* data, std::size_t size);

// The size that the PNG's header promises. Raises RuntimeError 481 when the
// bytes are no PNG, are cut short or damaged, or promise more pixels than
// the program takes or than bytes of this length could hold, so that nothing
// is allocated for them.
PngSize CheckPng(const std::uint8_t* data, std::size_t size);

// A DIB of pixels given as top-down rows of blue, green, red, alpha: 24 bits
// when every pixel is opaque, else 32 bits with an alpha mask in a V5 header.
std::vector<std::uint8_t> DibFromBgra(const PngSize& size, const std::uint8_t* bgra);

}  // namespace pixkeeper
