#include "ui/ViewerGeometry.h"

namespace pixkeeper {

TwipsRect ViewerPlacement(double pictureWidth, double pictureHeight, const ScreenTwips& screen) {
  TwipsRect window;
  window.height = pictureHeight + 480;
  window.width = pictureWidth + 200;
  window.left = static_cast<float>((screen.width - window.width) / 2.0);
  window.top = static_cast<float>((screen.height - window.height) / 2.0);
  return window;
}

}  // namespace pixkeeper
