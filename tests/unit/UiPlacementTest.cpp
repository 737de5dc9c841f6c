// Twips arithmetic and the centring of windows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "ui/FormCenter.h"
#include "ui/MainWindowLayout.h"
#include "ui/Twips.h"

namespace pixkeeper {
namespace {

TEST(UiTwips, ConvertsTheLayoutAtTheScreensResolution) {
  // 15 twips to a pixel at 96 dots per inch.
  EXPECT_EQ(329, TwipsToPixels(4935, 96));
  EXPECT_EQ(233, TwipsToPixels(3495, 96));
  EXPECT_EQ(3, TwipsToPixels(50, 96));  // 3.33
  EXPECT_EQ(352, TwipsToPixels(5279.5, 96));  // 351.97
  EXPECT_EQ(-20, TwipsToPixels(-300, 96));
  EXPECT_EQ(-1, TwipsToPixels(-7.5, 96));  // a half pixel away from zero
  EXPECT_EQ(12, TwipsToPixels(120, 144));
  EXPECT_EQ(411, TwipsToPixels(4935, 120));  // 411.25
  EXPECT_DOUBLE_EQ(4935.0, PixelsToTwips(329, 96));
  EXPECT_DOUBLE_EQ(12.0, PixelsToTwips(1, 120));
}

TEST(UiFileListPlacement, LeavesTheMarginsOfTheLayout) {
  // Thin frames: the list fits as the margins give it.
  const TwipsRect fits = FileListPlacement(4935 + 90, 3495 + 540, 4935, 3495);
  EXPECT_DOUBLE_EQ(50, fits.left);
  EXPECT_DOUBLE_EQ(50, fits.top);
  EXPECT_DOUBLE_EQ(4845, fits.width);
  EXPECT_DOUBLE_EQ(3435, fits.height);
}

TEST(UiFileListPlacement, StaysInsideTheClientAreaOfWiderFrames) {
  // 7-pixel frames and a 23-pixel caption would push the list past the
  // right and bottom edges.
  const TwipsRect cut = FileListPlacement(4935 + 210, 3495 + 855, 4935, 3495);
  EXPECT_DOUBLE_EQ(4885, cut.width);
  EXPECT_DOUBLE_EQ(3445, cut.height);
}

// Records the order of reads and writes as the centring makes them.
class RecordingWindow final : public PlacedWindow {
 public:
  RecordingWindow(double width, double height) : width_(width), height_(height) {}
  double Width() const override {
    log.push_back("width");
    return width_;
  }
  double Height() const override {
    log.push_back("height");
    return height_;
  }
  void SetLeft(float value) override {
    log.push_back("left");
    left = value;
  }
  void SetTop(float value) override {
    log.push_back("top");
    top = value;
  }

  mutable std::vector<std::string> log;
  float left = 0;
  float top = 0;

 private:
  double width_;
  double height_;
};

TEST(UiCenterForm, PlacesAWindowAboveTheCentreOfTheScreen) {
  FakePlatform platform;  // a 15360 x 11520 twip screen
  RecordingWindow window(4800, 3600);
  CenterForm(platform, window);
  EXPECT_FLOAT_EQ(5280, window.left);
  EXPECT_FLOAT_EQ(3660, window.top);
  // The left edge is set before the height is read.
  EXPECT_EQ((std::vector<std::string>{"width", "left", "height", "top"}), window.log);
}

TEST(UiCenterForm, KeepsHalfTwipsAndDoesNotClamp) {
  FakePlatform platform;
  RecordingWindow odd(4801, 3600);
  CenterForm(platform, odd);
  EXPECT_FLOAT_EQ(5279.5, odd.left);

  RecordingWindow asTallAsTheScreen(4800, 11520);
  CenterForm(platform, asTallAsTheScreen);
  EXPECT_FLOAT_EQ(-300, asTallAsTheScreen.top);

  RecordingWindow widerThanTheScreen(16360, 3600);
  CenterForm(platform, widerThanTheScreen);
  EXPECT_FLOAT_EQ(-500, widerThanTheScreen.left);
}

}  // namespace
}  // namespace pixkeeper
