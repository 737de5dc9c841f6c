#pragma once
// Reading the layout of a packed DIB that comes from outside (the clipboard,
// a file) and forming the BMP file header for it. Every size is checked
// against the bytes at hand before anything is read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixkeeper {

struct DibLayout {
  std::uint32_t headerSize = 0;   // 12, 40, 52, 56, 108 or 124
  std::int32_t width = 0;         // > 0
  std::int32_t height = 0;        // as stored: negative means top-down
  std::uint16_t bitCount = 0;     // 1, 4, 8, 16, 24 or 32
  std::uint32_t compression = 0;  // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3
  std::uint32_t colorCount = 0;   // entries in the colour table
  std::uint32_t alphaMask = 0;    // from a header of 56 bytes or more; 0 otherwise
  std::size_t pixelOffset = 0;    // from the start of the DIB to the pixels
  std::size_t imageSize = 0;      // bytes of pixel data
  std::size_t totalSize = 0;      // bytes of the DIB that make up the picture

  bool topDown() const noexcept { return height < 0; }
};

constexpr std::size_t kBmpFileHeaderSize = 14;

// Validates the DIB in [data, data + size); raises RuntimeError 481 when the
// header is malformed, unsupported or claims more bytes than there are.
DibLayout ParseDib(const std::uint8_t* data, std::size_t size);

// The BITMAPFILEHEADER that goes in front of a DIB of this layout.
std::array<std::uint8_t, kBmpFileHeaderSize> BmpFileHeader(const DibLayout& layout);

// The packed DIB inside a BMP file's bytes (for loading pictures); raises
// RuntimeError 481 when the file is not a valid BMP.
std::vector<std::uint8_t> DibFromBmpFile(const std::uint8_t* data, std::size_t size);

}  // namespace pixkeeper
