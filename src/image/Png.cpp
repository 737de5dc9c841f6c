#include "image/Png.h"

#include <algorithm>
#include <array>

#include "base/RuntimeError.h"
#include "image/Checksums.h"

namespace pixkeeper {
namespace {

constexpr std::size_t kIhdrEnd = 8 + 8 + 13 + 4;  // signature, length and type, data, CRC
// 256 MB of decoded pixels at most: an 8192 x 8192 picture, well past the
// largest screens. The decoder under Wine holds as much again while it works.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;
// Deflate packs at most 1032 bytes into one, and a PNG row may hold a pixel
// in one bit where the decoded one takes 32.
constexpr std::uint64_t kMostDecodedPerByte = 1032 * 32;

constexpr std::uint32_t kInfoHeader = 40, kV5Header = 124, kBiRgb = 0, kBiBitfields = 3;
constexpr std::uint32_t kSrgb = 0x73524742;  // 'sRGB'
constexpr std::uint32_t kIntentImages = 4;   // LCS_GM_IMAGES

std::uint32_t Big32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Every chunk whole and with its check sum, pixels among them, up to the
// end marker: a PNG cut short or damaged never reaches the decoder, which
// would take some of them as they come. The bytes up to and with the end
// marker; 0 when they are not whole.
std::size_t WholeLength(const std::uint8_t* data, std::size_t size) {
  bool pixels = false;
  for (std::size_t at = 8; size - at >= 12;) {
    const std::uint32_t length = Big32(data + at);
    if (length > size - at - 12) return 0;
    const std::uint8_t* type = data + at + 4;
    if (Crc32(type, length + 4) != Big32(type + 4 + length)) return 0;
    if (std::equal(type, type + 4, "IEND")) return pixels ? at + 12 + std::size_t{length} : 0;
    pixels = pixels || std::equal(type, type + 4, "IDAT");
    at += 12 + std::size_t{length};
  }
  return 0;
}

void Put(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool IsPng(const std::uint8_t* data, std::size_t size) {
  return data != nullptr && size >= 8 && std::equal(kPngSignature, kPngSignature + 8, data);
}

PngSize CheckPng(const std::uint8_t* data, std::size_t size) {
  if (size < kIhdrEnd || !IsPng(data, size) ||
      Big32(data + 8) != 13 || !std::equal(data + 12, data + 16, "IHDR")) {
    throw RuntimeError(error::kInvalidPicture);
  }
  PngSize png{Big32(data + 16), Big32(data + 20)};
  const std::uint64_t pixels = std::uint64_t{png.width} * png.height;
  if (png.width == 0 || png.height == 0 || png.width > 0x7FFFFFFF || png.height > 0x7FFFFFFF) {
    throw RuntimeError(error::kInvalidPicture);
  }
  // Told apart, so that the user learns why a tall page was not kept.
  if (pixels > kMaxPixels) throw RuntimeError(error::kPictureTooLarge);
  if (pixels * 4 / kMostDecodedPerByte > size || (png.length = WholeLength(data, size)) == 0) {
    throw RuntimeError(error::kInvalidPicture);
  }
  return png;
}

std::vector<std::uint8_t> DibFromBgra(const PngSize& size, const std::uint8_t* bgra) {
  const std::size_t width = size.width, height = size.height, count = width * height;
  bool opaque = true;
  for (std::size_t i = 0; i < count && opaque; ++i) opaque = bgra[i * 4 + 3] == 0xFF;

  const std::uint32_t header = opaque ? kInfoHeader : kV5Header;
  const std::size_t pixelBytes = opaque ? 3 : 4, stride = (width * pixelBytes + 3) / 4 * 4;
  std::vector<std::uint8_t> dib(header + stride * height);
  Put(dib, 0, header);
  Put(dib, 4, size.width);
  Put(dib, 8, size.height);  // bottom-up, as every reader takes it
  Put(dib, 12, 1, 2);
  Put(dib, 14, static_cast<std::uint32_t>(pixelBytes * 8), 2);
  Put(dib, 16, opaque ? kBiRgb : kBiBitfields);
  Put(dib, 20, static_cast<std::uint32_t>(stride * height));
  if (!opaque) {
    Put(dib, 40, 0x00FF0000);
    Put(dib, 44, 0x0000FF00);
    Put(dib, 48, 0x000000FF);
    Put(dib, 52, 0xFF000000);
    Put(dib, 56, kSrgb);
    Put(dib, 108, kIntentImages);
  }
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* from = bgra + (height - 1 - y) * width * 4;
    std::uint8_t* to = dib.data() + header + y * stride;
    if (!opaque) {
      std::copy(from, from + width * 4, to);
      continue;
    }
    for (std::size_t x = 0; x < width; ++x, from += 4, to += 3) std::copy(from, from + 3, to);
  }
  return dib;
}

}  // namespace pixkeeper
