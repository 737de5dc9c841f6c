#include "ui/FormCenter.h"

namespace pixkeeper {

namespace {
// How far above the exact centre a centred window sits.
constexpr double kRaiseTwips = 300.0;
}  // namespace

void CenterForm(Platform& platform, PlacedWindow& window) {
  const ScreenTwips screen = platform.ScreenSize();
  // The left edge is set before the height is read; a window that the system
  // resizes on moving is then measured as it ends up.
  window.SetLeft(static_cast<float>((screen.width - window.Width()) / 2.0));
  window.SetTop(static_cast<float>((screen.height - window.Height()) / 2.0 - kRaiseTwips));
}

}  // namespace pixkeeper
