#include "image/DibAlpha.h"

#include <algorithm>
#include <cstdlib>

namespace pixkeeper {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;

}  // namespace

bool HasTransparency(const DibLayout& layout, const std::uint8_t* dib) {
  const std::uint32_t mask = layout.alphaMask;
  if (mask == 0 || layout.bitCount != 32 ||
      (layout.compression != kBiRgb && layout.compression != kBiBitfields)) {
    return false;
  }
  bool seenOpaque = false, seenClear = false, seenPartial = false;
  const std::uint8_t* p = dib + layout.pixelOffset;
  const std::uint8_t* const end = p + layout.imageSize;  // rows of 32 bits need no padding
  for (; p + 4 <= end; p += 4) {
    const std::uint32_t pixel = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    const std::uint32_t alpha = pixel & mask;
    if (alpha == mask) seenOpaque = true;
    else if (alpha == 0) seenClear = true;
    else seenPartial = true;
    if (seenPartial || (seenOpaque && seenClear)) return true;
  }
  return false;
}

std::vector<std::uint8_t> Dib24OfPadded32(const DibLayout& layout, const std::uint8_t* dib) {
  if (layout.headerSize != 40 || layout.bitCount != 32 || layout.compression != kBiRgb ||
      layout.colorCount != 0) {
    return {};
  }
  const std::uint8_t* pixels = dib + layout.pixelOffset;
  for (std::size_t i = 3; i < layout.imageSize; i += 4) {
    if (pixels[i] != 0) return {};
  }
  const std::size_t width = static_cast<std::size_t>(layout.width);
  const std::size_t rows = static_cast<std::size_t>(std::abs(static_cast<long long>(layout.height)));
  const std::size_t stride = (width * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> out(40 + stride * rows);
  std::copy(dib, dib + 40, out.begin());
  out[14] = 24;
  const std::size_t image = stride * rows;
  for (int i = 0; i < 4; ++i) out[20 + i] = static_cast<std::uint8_t>(image >> (8 * i));
  for (std::size_t y = 0; y < rows; ++y) {
    const std::uint8_t* from = pixels + y * width * 4;
    std::uint8_t* to = out.data() + 40 + y * stride;
    for (std::size_t x = 0; x < width; ++x, from += 4, to += 3) std::copy(from, from + 3, to);
  }
  return out;
}

}  // namespace pixkeeper
