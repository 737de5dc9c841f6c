#include "ProbePictures.h"

#include <cstring>

#ifdef PKPROBE_HAVE_TEST_PICTURES
#include "support/TestPictures.h"
#endif

namespace pixkeeper::probe {

namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
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

// A 24-bit bottom-up picture whose every pixel differs from its neighbours;
// the default width needs row padding.
ProbePicture MakeRgb24(int width, int height) {
  if (width <= 0) width = 37;
  if (height <= 0) height = 23;
  std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  ProbePicture picture;
  picture.pixelOffset = 40;
  picture.dib.assign(40 + stride * height, 0);
  Put32(picture.dib, 0, 40);
  Put32(picture.dib, 4, static_cast<std::uint32_t>(width));
  Put32(picture.dib, 8, static_cast<std::uint32_t>(height));
  picture.dib[12] = 1;
  picture.dib[14] = 24;
  Put32(picture.dib, 20, static_cast<std::uint32_t>(stride * height));
  picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t r = static_cast<std::uint8_t>(x * 11 + y * 5);
      std::uint8_t g = static_cast<std::uint8_t>(x * 3 + y * 17 + 40);
      std::uint8_t b = static_cast<std::uint8_t>((x ^ y) * 13 + 7);
      std::size_t top = (static_cast<std::size_t>(y) * width + x) * 3;
      picture.rgb[top] = r;
      picture.rgb[top + 1] = g;
      picture.rgb[top + 2] = b;
      std::size_t row = 40 + stride * (height - 1 - y);
      picture.dib[row + x * 3] = b;
      picture.dib[row + x * 3 + 1] = g;
      picture.dib[row + x * 3 + 2] = r;
    }
  }
  return picture;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c < 128 ? c : '?');
  return out;
}

}  // namespace

ProbePicture MakeProbePicture(const std::wstring& name, int width, int height) {
  if (name == L"probe24") return MakeRgb24(width, height);
#ifdef PKPROBE_HAVE_TEST_PICTURES
  ProbePicture picture;
  testing::TestPicture made;
  try {
    made = testing::MakeTestPicture(Narrow(name), width, height);
  } catch (...) {
    return picture;  // not a known picture
  }
  if (made.dib.empty()) return picture;
  picture.dib = std::move(made.dib);
  picture.pixelOffset = PixelOffset(picture.dib);
  picture.rgb = std::move(made.rgb);
  return picture;
#else
  (void)Narrow;
  (void)PixelOffset;
  return name == L"rgb24" ? MakeRgb24(width, height) : ProbePicture{};
#endif
}

}  // namespace pixkeeper::probe
