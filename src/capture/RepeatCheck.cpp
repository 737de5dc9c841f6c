#include "capture/RepeatCheck.h"

#include <array>
#include <cstring>
#include <functional>

namespace pixkeeper {

namespace {

using Part = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// What makes the picture what it is, part by part: its kind and size, then
// its colour table and pixels (the header's other fields, such as its
// resolution, do not count), or the PNG's bytes. Stops when `part` says so.
void Parts(const ClipboardPicture& taken, const Part& part) {
  const bool png = !taken.png.empty();
  std::array<std::uint8_t, 16> kind{};
  kind[0] = png ? 1 : 0;
  if (png) {
    if (part(kind.data(), kind.size())) part(taken.png.data(), taken.png.size());
    return;
  }
  const DibLayout& layout = taken.picture.layout();
  std::memcpy(&kind[1], &layout.width, 4);
  std::memcpy(&kind[5], &layout.height, 4);
  std::memcpy(&kind[9], &layout.bitCount, 2);
  std::memcpy(&kind[11], &layout.compression, 4);
  const std::uint8_t* data = taken.picture.data();
  if (part(kind.data(), kind.size()) && part(data + layout.headerSize, layout.pixelOffset - layout.headerSize)) {
    part(data + layout.pixelOffset, layout.imageSize);
  }
}

}  // namespace

bool RepeatCheck::Repeats(const ClipboardPicture& taken) const {
  if (last_.empty() || (taken.picture.empty() && taken.png.empty())) return false;
  std::size_t at = 0;
  bool same = true;
  Parts(taken, [&](const std::uint8_t* data, std::size_t size) {
    // Stops at the first difference, mostly in the first row.
    same = size <= last_.size() - at && std::memcmp(last_.data() + at, data, size) == 0;
    at += size;
    return same;
  });
  return same && at == last_.size();
}

void RepeatCheck::Remember(const ClipboardPicture& taken) {
  last_.clear();
  Parts(taken, [&](const std::uint8_t* data, std::size_t size) {
    last_.insert(last_.end(), data, data + size);
    return true;
  });
}

void RepeatCheck::Forget() { std::vector<std::uint8_t>().swap(last_); }

}  // namespace pixkeeper
