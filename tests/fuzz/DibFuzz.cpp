// Feeds arbitrary bytes to everything that reads a DIB, a BMP file or a PNG
// from outside, and encodes the pictures it takes as PNG, which must read
// back (through zlib) to the same pixels. Any crash, sanitizer report, pixel
// that differs or error other than "invalid picture" is a finding.

#include <cstdlib>
#include <cstring>

#include "fakes/FakePlatform.h"
#include "image/DibAlpha.h"
#include "image/Png.h"
#include "image/PngWriter.h"
#include "support/PngRead.h"

using namespace pixkeeper;

static void Check(bool condition) { condition ? void() : std::abort(); }

// Red, green, blue and alpha of every pixel of the rows, from the top.
static std::vector<std::uint8_t> Rgba(const PngRows& rows) {
  std::vector<std::uint8_t> rgba;
  for (std::uint32_t y = 0; y < rows.height; ++y) {
    const std::uint8_t* row = rows.top + static_cast<std::ptrdiff_t>(y) * rows.step;
    for (std::uint32_t x = 0; x < rows.width; ++x) {
      if (rows.bits <= 8) {
        const unsigned bit = x * rows.bits, index = (row[bit / 8] >> (8 - rows.bits - bit % 8)) & ((1u << rows.bits) - 1);
        rgba.insert(rgba.end(), {rows.palette[3 * index], rows.palette[3 * index + 1], rows.palette[3 * index + 2], 255});
      } else {
        const std::uint8_t* p = row + x * (rows.bits / 8);
        rgba.insert(rgba.end(), {p[2], p[1], p[0], rows.alpha ? p[3] : std::uint8_t{255}});
      }
    }
  }
  return rgba;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // As a DIB from the clipboard: borrowed (the lease given back whatever
  // happens), detached, saved with its file header and loaded again.
  int releases = 0;
  try {
    Picture picture = Picture::Borrow(data, size, std::make_unique<Lease>(nullptr, &releases));
    const DibLayout l = picture.layout();
    Check(l.pixelOffset >= l.headerSize && l.pixelOffset + l.imageSize <= l.totalSize && l.totalSize <= size);
    HasTransparency(l, picture.data());
    const std::vector<std::uint8_t> dib24 = Dib24OfPadded32(l, picture.data());
    Check(dib24.empty() || ParseDib(dib24.data(), dib24.size()).totalSize == dib24.size());
    picture.Detach();
    Check(releases == 1 && std::memcmp(picture.data(), data, l.totalSize) == 0);
    PngRows rows;  // encoded as PNG: whole chunks with their check sums, and every pixel kept
    if (PngRowsOf(picture, rows)) {
      const std::vector<std::uint8_t> png = EncodePng(rows);
      Check(CheckPng(png.data(), png.size()).width == rows.width);
      Check(testing::ReadPngFile(png).rgba == Rgba(rows));
    }
    const auto header = BmpFileHeader(l);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), data, data + l.totalSize);
    Check(std::memcmp(DibFromBmpFile(file.data(), file.size()).data() + l.pixelOffset, data + l.pixelOffset,
                      l.imageSize) == 0);
  } catch (const RuntimeError& e) {
    Check(e.number() == error::kInvalidPicture && releases == 1);
  }
  try {  // as a BMP file to load
    const std::vector<std::uint8_t> dib = DibFromBmpFile(data, size);
    Check(dib.size() + 14 <= size && ParseDib(dib.data(), dib.size()).totalSize == dib.size());
  } catch (const RuntimeError& e) {
    Check(e.number() == error::kInvalidPicture);
  }
  try {  // as PNG bytes from the clipboard, checked before the decoder sees them
    const PngSize png = CheckPng(data, size);
    Check(std::uint64_t{png.width} * png.height <= (1u << 26));
  } catch (const RuntimeError& e) {
    Check(e.number() == error::kInvalidPicture);
  }
  return 0;
}
