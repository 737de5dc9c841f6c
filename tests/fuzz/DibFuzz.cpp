// Feeds arbitrary bytes to everything that reads a DIB or a BMP file from
// outside. Any crash, sanitizer report or error other than "invalid picture"
// is a finding.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Dib.h"
#include "platform/Picture.h"
#include "platform/RuntimeError.h"

namespace {

using pixkeeper::DibLayout;
using pixkeeper::Picture;
using pixkeeper::RuntimeError;
using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
  if (!condition) std::abort();
}

class Lease : public pixkeeper::PictureLease {
 public:
  explicit Lease(int* releases) : releases_(releases) {}
  ~Lease() override { ++*releases_; }

 private:
  int* releases_;
};

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Touches every byte the layout claims, so that the address sanitizer sees
// any claim beyond the data.
unsigned Checksum(const std::uint8_t* data, std::size_t size) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum = (sum * 31 + data[i]) & 0xFFFFFF;
  return sum;
}

void CheckLayout(const DibLayout& l, std::size_t size) {
  Check(l.width > 0 && l.height != 0);
  Check(l.pixelOffset >= l.headerSize);
  Check(l.pixelOffset <= l.totalSize && l.imageSize <= l.totalSize - l.pixelOffset);
  Check(l.totalSize <= size);
}

// The layout as a DIB from the clipboard, then as the file it is saved to.
void AsDib(const std::uint8_t* data, std::size_t size) {
  DibLayout l;
  try {
    l = pixkeeper::ParseDib(data, size);
  } catch (const RuntimeError& e) {
    Check(e.number() == pixkeeper::error::kInvalidPicture);
    return;
  }
  CheckLayout(l, size);
  volatile unsigned sink = Checksum(data, l.totalSize);
  (void)sink;

  const auto header = pixkeeper::BmpFileHeader(l);
  Check(header[0] == 'B' && header[1] == 'M');
  Check(Get32(header.data() + 2) == 14 + l.totalSize);
  Check(Get32(header.data() + 10) == 14 + l.pixelOffset);

  // What is saved loads again, with the same pixels in the same place.
  Bytes file(header.begin(), header.end());
  file.insert(file.end(), data, data + l.totalSize);
  const Bytes loaded = pixkeeper::DibFromBmpFile(file.data(), file.size());
  const DibLayout back = pixkeeper::ParseDib(loaded.data(), loaded.size());
  Check(back.pixelOffset == l.pixelOffset && back.imageSize == l.imageSize);
  Check(back.width == l.width && back.height == l.height && back.bitCount == l.bitCount);
  Check(std::memcmp(loaded.data() + back.pixelOffset, data + l.pixelOffset, l.imageSize) == 0);

  // Owned, borrowed and detached pictures hold the same bytes.
  const Picture owned = Picture::Own(Bytes(data, data + size));
  Check(owned.layout().totalSize == l.totalSize);
  int releases = 0;
  Picture borrowed = Picture::Borrow(data, size, std::make_unique<Lease>(&releases));
  Check(borrowed.data() == data);
  borrowed.Detach();
  Check(releases == 1 && !borrowed.borrowed());
  Check(std::memcmp(borrowed.data(), owned.data(), l.totalSize) == 0);
}

// The same bytes as a BMP file to load.
void AsFile(const std::uint8_t* data, std::size_t size) {
  Bytes dib;
  try {
    dib = pixkeeper::DibFromBmpFile(data, size);
  } catch (const RuntimeError& e) {
    Check(e.number() == pixkeeper::error::kInvalidPicture);
    return;
  }
  Check(dib.size() + 14 <= size);
  Check(pixkeeper::ParseDib(dib.data(), dib.size()).totalSize == dib.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  AsDib(data, size);
  AsFile(data, size);
  int releases = 0;
  try {
    Picture::Borrow(data, size, std::make_unique<Lease>(&releases));
  } catch (const RuntimeError&) {
  }
  Check(releases == 1);  // given back whether or not the bytes were a picture
  return 0;
}
