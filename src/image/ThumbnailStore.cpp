#include "image/ThumbnailStore.h"

#include <cstring>

namespace pixkeeper {

namespace {

// A picture's header and pixels, rounded up so that the next header is aligned.
constexpr std::uint64_t RecordBytes(std::uint64_t pictureBytes) { return (8 + pictureBytes + 7) / 8 * 8; }

}  // namespace

// Both positions start at the capacity, so that no key is 0.
ThumbnailStore::ThumbnailStore(std::uint8_t* memory, std::size_t capacity)
    : memory_(memory), capacity_(capacity / 8 * 8), oldest_(capacity_), next_(capacity_) {}

const ThumbnailStore::Header& ThumbnailStore::HeaderAt(std::uint64_t position) const {
  return *reinterpret_cast<const Header*>(memory_ + position % capacity_);
}

ThumbnailStore::Header& ThumbnailStore::HeaderAt(std::uint64_t position) {
  return *reinterpret_cast<Header*>(memory_ + position % capacity_);
}

std::uint64_t ThumbnailStore::Add(const ThumbnailView& picture) {
  if (picture.empty() || picture.width <= 0 || picture.height <= 0 || picture.width > 0xFFFF ||
      picture.height > 0xFFFF) {
    return 0;
  }
  const std::uint64_t bytes = RecordBytes(picture.bytes());
  if (bytes > capacity_) return 0;
  // A picture never wraps round the end of the block: the rest is skipped.
  const std::uint64_t place = next_ % capacity_;
  std::uint64_t skip = place + bytes > capacity_ ? capacity_ - place : 0;
  while (next_ + skip + bytes - oldest_ > capacity_) {
    if (oldest_ == next_) {  // nothing is kept: begin at the block's start
      oldest_ = next_ += skip;
      skip = 0;
      break;
    }
    const Header& oldest = HeaderAt(oldest_);
    oldest_ += oldest.width == 0 ? capacity_ - oldest_ % capacity_
                                 : RecordBytes(std::uint64_t(oldest.width) * oldest.height * 4);
  }
  if (skip != 0) {
    HeaderAt(next_) = Header{0, 0, 0};
    next_ += skip;
  }
  const std::uint64_t key = next_;
  HeaderAt(key) = Header{std::uint16_t(picture.width), std::uint16_t(picture.height), 0};
  std::memcpy(memory_ + key % capacity_ + sizeof(Header), picture.pixels, picture.bytes());
  next_ += bytes;
  return key;
}

ThumbnailView ThumbnailStore::Find(std::uint64_t key) const {
  if (key < oldest_ || key >= next_) return {};
  const Header& header = HeaderAt(key);
  return {header.width, header.height, memory_ + key % capacity_ + sizeof(Header)};
}

}  // namespace pixkeeper
