// Where the image viewer goes: fitted around the picture, centred exactly.

#include <gtest/gtest.h>

#include "ui/ViewerGeometry.h"

namespace pixkeeper {
namespace {

struct PlacementCase {
  double pictureWidth, pictureHeight;
  double left, top, width, height;
};

TEST(UiImageView, FitsTheWindowAroundThePictureAndCentresItUnclamped) {
  const ScreenTwips screen{15360, 11520};
  const PlacementCase cases[] = {
      {9600, 7200, 2780, 1920, 9800, 7680},
      {9601, 7201, 2779.5, 1919.5, 9801, 7681},      // odd differences give half twips
      {20000, 12000, -2420, -480, 20200, 12480},     // larger than the screen
  };
  for (const PlacementCase& c : cases) {
    const TwipsRect window = ViewerPlacement(c.pictureWidth, c.pictureHeight, screen);
    EXPECT_DOUBLE_EQ(c.left, window.left);
    EXPECT_DOUBLE_EQ(c.top, window.top);
    EXPECT_DOUBLE_EQ(c.width, window.width);
    EXPECT_DOUBLE_EQ(c.height, window.height);
  }
}

}  // namespace
}  // namespace pixkeeper
