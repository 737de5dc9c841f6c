#pragma once
// Window geometry is laid out in twips (1440 to the inch) and handed to the
// system in pixels of the screen's resolution.

#include <cmath>

namespace pixkeeper {

constexpr double kTwipsPerInch = 1440.0;

// Nearest whole pixel; halves round away from zero, as the layout expects for
// negative (off-screen) positions too.
inline int TwipsToPixels(double twips, int dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

inline double PixelsToTwips(int pixels, int dotsPerInch) {
  return pixels * kTwipsPerInch / dotsPerInch;
}

// A rectangle in twips: left, top, width, height, as the layouts give them.
struct TwipsRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

}  // namespace pixkeeper
