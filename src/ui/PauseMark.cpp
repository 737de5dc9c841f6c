#include "ui/PauseMark.h"

#include <algorithm>

namespace pixkeeper {

namespace {
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr std::uint32_t kSquare = 0xFFFFFFFF;
constexpr std::uint32_t kBar = 0xFF202020;
}  // namespace

void AlphaFromMask(std::vector<std::uint32_t>& pixels, const std::vector<std::uint32_t>& mask) {
  const bool hasAlpha = std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p & kOpaque) != 0; });
  if (hasAlpha || mask.size() != pixels.size()) return;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = (mask[i] & 0xFFFFFF) == 0 ? pixels[i] | kOpaque : 0;
  }
}

void DrawPauseMark(std::vector<std::uint32_t>& pixels, int size) {
  if (size < 8 || pixels.size() != static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) return;
  const int side = size / 2, origin = size - side;
  // A border of one pixel in 16, bars a quarter of the square wide.
  const int border = std::max(1, size / 16), bar = std::max(1, side / 4);
  for (int y = origin; y < size; ++y) {
    for (int x = origin; x < size; ++x) {
      const int across = x - origin, down = y - origin;
      const bool inBars = down >= border && down < side - border &&
                          ((across >= border && across < border + bar) ||
                           (across >= side - border - bar && across < side - border));
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] =
          inBars ? kBar : kSquare;
    }
  }
}

}  // namespace pixkeeper
