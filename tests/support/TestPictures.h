#pragma once
// Packed DIBs of every variant the program must handle, as other programs put
// them on the clipboard, each with the pixels it is expected to show. All are
// made by one generator from a few parameters (header, depth, compression,
// colour table, row order).

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

// 0 for width or height: 37 x 23. Throws std::invalid_argument for an unknown
// name or a size out of 1..16384.
TestPicture MakeTestPicture(const std::string& name, int width = 0, int height = 0);

// A 32-bit V5 picture with bit fields, as some programs make it: the masks
// repeated after the header when `masksAfterHeader`, and an embedded colour
// profile of `profileSize` bytes after the pixels when it is not 0.
std::vector<std::uint8_t> V5Picture(bool masksAfterHeader, std::uint32_t profileSize,
                                    int width = 37, int height = 23);

// Sets a little-endian field of a DIB or BMP file.
void Set32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

}  // namespace pixkeeper::testing
