#include "ProbePictures.h"

#include <utility>

#include "support/TestPictures.h"

namespace pixkeeper::probe {

namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Where the pixels begin: header, then the masks of a 40-byte bitfields
// header, then the colour table.
std::size_t PixelOffset(const std::vector<std::uint8_t>& dib) {
  std::uint32_t headerSize = Read32(dib, 0);
  if (headerSize == 12) {
    unsigned bits = dib[10] | dib[11] << 8;
    return 12 + (bits <= 8 ? (std::size_t{1} << bits) * 3 : 0);
  }
  unsigned bits = dib[14] | dib[15] << 8;
  std::uint32_t compression = Read32(dib, 16);
  std::uint32_t used = Read32(dib, 32);
  std::size_t offset = headerSize;
  if (headerSize == 40 && compression == 3) offset += 12;
  std::size_t colours = used != 0 ? used : (bits <= 8 ? std::size_t{1} << bits : 0);
  return offset + colours * 4;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c < 128 ? c : '?');
  return out;
}

}  // namespace

ProbePicture MakeProbePicture(const std::wstring& name, int width, int height) {
  ProbePicture picture;
  testing::TestPicture made;
  try {
    made = testing::MakeTestPicture(Narrow(name), width, height);
  } catch (...) {
    return picture;  // not a known picture, or a size it cannot have
  }
  picture.dib = std::move(made.dib);
  picture.pixelOffset = PixelOffset(picture.dib);
  picture.rgb = std::move(made.rgb);
  return picture;
}

}  // namespace pixkeeper::probe
