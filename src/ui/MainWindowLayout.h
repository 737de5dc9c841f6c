#pragma once
// Where the main window's list goes: 50 twips from the top-left corner, as
// wide as the window's outer width less 180 twips and as high as its outer
// height less 600. Those margins were made for frames thinner than today's,
// so the list is cut where it would otherwise reach past the client area.

#include <algorithm>

#include "ui/Twips.h"

namespace pixkeeper {

inline TwipsRect FileListPlacement(double outerWidth, double outerHeight, double clientWidth,
                                   double clientHeight) {
  constexpr double kMargin = 50;
  return {kMargin, kMargin, std::min(outerWidth - 180, clientWidth - kMargin),
          std::min(outerHeight - 600, clientHeight - kMargin)};
}

}  // namespace pixkeeper
