#pragma once
// Small packed DIBs of the kinds the clipboard carries, each with the RGB
// pixels it shows, for the tests of the Windows layer and the feeder.

#include <cstdint>
#include <string>
#include <vector>

namespace pixkeeper::test {

struct SamplePicture {
  std::vector<std::uint8_t> dib;  // packed DIB
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, top row first
};

// "rgb24" (bottom-up), "topdown24", "palette8", "bitfields32" (masks in an
// unusual order). The width is odd, so rows carry padding.
SamplePicture MakeSamplePicture(const std::string& kind);

// The colour of pixel (x, y) counted from the top-left corner.
void SampleColour(int x, int y, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue);

}  // namespace pixkeeper::test
