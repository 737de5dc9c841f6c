#pragma once
// Where the image viewer goes: a window fitted around the picture and centred
// exactly on the screen, unclamped.

#include "platform/Platform.h"
#include "ui/Twips.h"

namespace pixkeeper {

// The picture's top-left corner in the viewer's client area, in twips.
constexpr double kViewerPictureOffset = 50;

// The viewer's outer rectangle for a picture of `pictureWidth` x
// `pictureHeight` twips: 200 twips wider and 480 higher than the picture,
// (screen - window) / 2 from the screen's corner. The edges are the
// single-precision values the window is given; a picture larger than the
// screen gives negative ones.
TwipsRect ViewerPlacement(double pictureWidth, double pictureHeight, const ScreenTwips& screen);

}  // namespace pixkeeper
