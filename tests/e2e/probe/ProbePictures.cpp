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

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// DIBs that a broken or hostile program might put on the clipboard: a header
// that promises far more pixels than follow, and a header of no known size.
ProbePicture MakeMalformed(const std::wstring& name) {
  ProbePicture picture;
  if (name == L"malformed-truncated") {
    picture.dib.assign(40 + 16, 0x5A);
    Put32(picture.dib, 0, 40);
    Put32(picture.dib, 4, 1000);
    Put32(picture.dib, 8, 1000);
    Put32(picture.dib, 12, 1 | 24 << 16);  // planes, bit count
    Put32(picture.dib, 16, 0);
    Put32(picture.dib, 20, 3000000);
    Put32(picture.dib, 32, 0);
  } else if (name == L"malformed-header") {
    picture.dib.assign(64, 0xA5);
    Put32(picture.dib, 0, 7);
  }
  picture.pixelOffset = 40;
  return picture;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c < 128 ? c : '?');
  return out;
}

}  // namespace

ProbePicture MakeProbePicture(const std::wstring& name, int width, int height) {
  if (name.compare(0, 10, L"malformed-") == 0) return MakeMalformed(name);
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
