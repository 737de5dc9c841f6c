#pragma once
// Twips on this screen: its resolution, and windows and controls placed and
// measured in twips.

#include <windows.h>

#include "ui/FormCenter.h"
#include "ui/Twips.h"

namespace pixkeeper {

struct ScreenDpi {
  int x = 96;
  int y = 96;
};

// The resolution of the screen, read once: the program is system-DPI aware.
const ScreenDpi& CurrentDpi();

int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);

// A child control at a rectangle in twips of its parent's client area.
void PlaceControl(HWND control, const TwipsRect& rect);

// Sizes a top-level window so that its client area is `width` x `height`
// twips, menu bar included in the frame.
void SetClientSizeTwips(HWND window, double width, double height);

// The outer rectangle of a window in twips.
TwipsRect WindowRectTwips(HWND window);
// The size of a window's client area in twips (left and top are 0).
TwipsRect ClientRectTwips(HWND window);

// The outer rectangle of a top-level window as the centring moves it.
class WindowPlacement final : public PlacedWindow {
 public:
  explicit WindowPlacement(HWND window) : window_(window) {}
  double Width() const override;
  double Height() const override;
  void SetLeft(float left) override;
  void SetTop(float top) override;

 private:
  HWND window_;
};

}  // namespace pixkeeper
