#include "image/Picture.h"

#include <new>
#include <utility>

#include "base/RuntimeError.h"

namespace pixkeeper {
namespace {

std::vector<std::uint8_t> CopyOf(const std::uint8_t* data, std::size_t size) {
  try {
    return std::vector<std::uint8_t>(data, data + size);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(error::kOutOfMemory);
  }
}

}  // namespace

Picture Picture::Own(std::vector<std::uint8_t> dib) {
  const DibLayout layout = ParseDib(dib.data(), dib.size());
  Picture picture;
  picture.owned_ = std::move(dib);
  picture.data_ = picture.owned_.data();
  picture.layout_ = layout;
  return picture;
}

Picture Picture::Borrow(const std::uint8_t* dib, std::size_t size,
                        std::unique_ptr<PictureLease> lease) {
  // On failure the lease goes with this frame, giving the bytes back at once.
  const DibLayout layout = ParseDib(dib, size);
  Picture picture;
  picture.data_ = dib;
  picture.layout_ = layout;
  picture.lease_ = std::move(lease);
  // Without a lease nothing would keep the bytes valid: take a copy now.
  if (!picture.lease_) {
    picture.owned_ = CopyOf(dib, layout.totalSize);
    picture.data_ = picture.owned_.data();
  }
  return picture;
}

Picture::Picture(Picture&& other) noexcept { *this = std::move(other); }

Picture& Picture::operator=(Picture&& other) noexcept {
  if (this == &other) return *this;
  lease_.reset();  // our old bytes are no longer needed
  const bool otherOwns = other.data_ != nullptr && !other.lease_;
  owned_ = std::move(other.owned_);
  lease_ = std::move(other.lease_);
  layout_ = other.layout_;
  data_ = otherOwns ? owned_.data() : other.data_;

  other.owned_.clear();
  other.data_ = nullptr;
  other.layout_ = DibLayout{};
  return *this;
}

Picture::~Picture() = default;

void Picture::Detach() {
  if (!borrowed()) return;
  // Copy first: when memory runs out the picture stays as it was.
  owned_ = CopyOf(data_, layout_.totalSize);
  data_ = owned_.data();
  lease_.reset();
}

}  // namespace pixkeeper
