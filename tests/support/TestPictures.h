#pragma once
// Packed DIBs of every variant the program must handle, as other programs put
// them on the clipboard, each with the pixels it is expected to show. Used by
// the unit tests and by the Windows tests that feed the clipboard.

#include <cstdint>
#include <string>
#include <vector>

namespace pixkeeper::testing {

struct TestPicture {
  std::string name;               // e.g. "rgb24", "pal8", "bitfields32", "topdown24"
  std::vector<std::uint8_t> dib;  // a packed DIB as a program would put it on the clipboard
  int width = 0, height = 0;      // height positive
  std::vector<std::uint8_t> rgb;  // expected pixels, top row first, 3 bytes R,G,B per pixel
};

std::vector<std::string> TestPictureNames();

// 0 for width or height: the picture's default size. Throws
// std::invalid_argument for an unknown name or a size below 1.
TestPicture MakeTestPicture(const std::string& name, int width = 0, int height = 0);

}  // namespace pixkeeper::testing
