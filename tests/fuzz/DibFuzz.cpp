// Feeds arbitrary bytes to everything that reads a DIB or a BMP file from
// outside. Any crash, sanitizer report or error other than "invalid picture"
// is a finding.

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Picture.h"
#include "platform/RuntimeError.h"
#include "support/TestPictures.h"

namespace {

using namespace pixkeeper;
using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Lease : PictureLease {
  explicit Lease(int* releases) : releases_(releases) {}
  ~Lease() override { ++*releases_; }
  int* releases_;
};

// Runs `read`; false when it refused the bytes as no valid picture.
template <typename Read>
bool Accepted(Read read) {
  try {
    read();
    return true;
  } catch (const RuntimeError& e) {
    Check(e.number() == error::kInvalidPicture);
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // As a DIB from the clipboard: borrowed (the lease given back whatever
  // happens), detached, then saved and loaded again with the same pixels.
  int releases = 0;
  Picture picture;
  const bool valid = Accepted([&] { picture = Picture::Borrow(data, size, std::make_unique<Lease>(&releases)); });
  Check(releases == (valid ? 0 : 1));
  if (valid) {
    const DibLayout l = picture.layout();
    Check(l.width > 0 && l.pixelOffset >= l.headerSize && l.totalSize <= size);
    Check(l.pixelOffset <= l.totalSize && l.imageSize <= l.totalSize - l.pixelOffset);
    picture.Detach();
    Check(releases == 1 && std::memcmp(picture.data(), data, l.totalSize) == 0);
    const auto header = BmpFileHeader(l);
    Check(testing::Get32(header.data() + 2) == 14 + l.totalSize && testing::Get32(header.data() + 10) == 14 + l.pixelOffset);
    Bytes file(header.begin(), header.end());
    file.insert(file.end(), data, data + l.totalSize);
    const Bytes loaded = DibFromBmpFile(file.data(), file.size());
    const DibLayout back = ParseDib(loaded.data(), loaded.size());
    Check(back.pixelOffset == l.pixelOffset && back.imageSize == l.imageSize && back.height == l.height);
    Check(std::memcmp(loaded.data() + back.pixelOffset, data + l.pixelOffset, l.imageSize) == 0);
  }
  // As a BMP file to load.
  Bytes dib;
  if (Accepted([&] { dib = DibFromBmpFile(data, size); })) {
    Check(dib.size() + 14 <= size && ParseDib(dib.data(), dib.size()).totalSize == dib.size());
  }
  return 0;
}
