#pragma once
// Test pictures as another program puts them on the clipboard, with the
// pixels that a correct BMP file of them must hold.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pixkeeper::probe {

struct ProbePicture {
  std::vector<std::uint8_t> dib;  // packed DIB; empty for an unknown name
  std::size_t pixelOffset = 0;    // from the start of the DIB to the pixels
  std::vector<std::uint8_t> rgb;  // top row first, R, G, B per pixel
};

// The pictures of tests/support/TestPictures.h, and "malformed-truncated" and
// "malformed-header" (no pixels expected). 0 for width or height: the
// picture's own size.
ProbePicture MakeProbePicture(const std::wstring& name, int width, int height);

}  // namespace pixkeeper::probe
