#include "BenchPixels.h"

#include <algorithm>
#include <cstddef>

namespace pixkeeper::bench {

std::vector<unsigned char> BenchPixels(int width, int height, bool flat) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  unsigned char* pixel = pixels.data();
  unsigned seed = 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, pixel += 4) {
      if (flat) {
        // Windows on a desktop: grey panes, a coloured title bar, and rows
        // of dark glyph-like dots.
        const bool title = y % 270 < 24, text = y % 18 < 9 && x % 7 < 4 && (x / 60 + y / 18) % 3 != 0;
        const unsigned char grey = text ? 40 : 240;
        pixel[0] = title ? 200 : grey;
        pixel[1] = title ? 120 : grey;
        pixel[2] = title ? 40 : grey;
      } else {
        // Smooth gradients with the noise of a camera sensor.
        seed = seed * 1103515245u + 12345u;
        const int noise = static_cast<int>(seed >> 27) - 16;
        pixel[0] = static_cast<unsigned char>(std::clamp(x * 255 / width + noise, 0, 255));
        pixel[1] = static_cast<unsigned char>(std::clamp(y * 255 / height + noise, 0, 255));
        pixel[2] = static_cast<unsigned char>(std::clamp(((x + y) * 255 / (width + height)) + noise / 2, 0, 255));
      }
      pixel[3] = 0;
    }
  }
  return pixels;
}

}  // namespace pixkeeper::bench
