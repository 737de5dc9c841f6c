#pragma once
// Places a window in the middle of the screen, a little above the exact centre.

#include "platform/Platform.h"

namespace pixkeeper {

// A window as the centring sees it: its outer size and position in twips.
class PlacedWindow {
 public:
  virtual ~PlacedWindow() = default;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void SetLeft(float left) = 0;
  virtual void SetTop(float top) = 0;
};

// left = (screen width - width) / 2, top = (screen height - height) / 2 - 300.
// Not clamped: a window larger than the screen gets a negative edge.
void CenterForm(Platform& platform, PlacedWindow& window);

}  // namespace pixkeeper
