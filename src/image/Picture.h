#pragma once
// A picture held as a packed device-independent bitmap (header, masks or colour
// table, pixels), validated on the way in. It either owns its bytes or borrows
// them from the platform (for example straight from the clipboard), kept valid
// by a lease until the picture is emptied or detached.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/Dib.h"

namespace pixkeeper {

// Keeps borrowed picture bytes valid; releasing it gives them back.
class PictureLease {
 public:
  virtual ~PictureLease() = default;
};

class Picture {
 public:
  Picture() = default;  // the empty picture

  // Both validate the DIB and raise RuntimeError 481 when it is malformed.
  static Picture Own(std::vector<std::uint8_t> dib);
  static Picture Borrow(const std::uint8_t* dib, std::size_t size,
                        std::unique_ptr<PictureLease> lease);

  Picture(Picture&& other) noexcept;
  Picture& operator=(Picture&& other) noexcept;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  ~Picture();

  bool empty() const noexcept { return data_ == nullptr; }
  bool borrowed() const noexcept { return lease_ != nullptr; }

  // The packed DIB: layout().totalSize bytes.
  const std::uint8_t* data() const noexcept { return data_; }
  const DibLayout& layout() const noexcept { return layout_; }

  // Copies borrowed bytes into the picture's own storage and releases the
  // lease, so the picture no longer depends on its source.
  void Detach();

 private:
  std::vector<std::uint8_t> owned_;
  const std::uint8_t* data_ = nullptr;
  DibLayout layout_{};
  std::unique_ptr<PictureLease> lease_;
};

// A picture taken off the clipboard, with the clipboard's sequence number at
// the moment it was read: as a DIB, or as the bytes of a PNG that its
// program offered, to be written as they came.
struct ClipboardPicture {
  Picture picture;
  std::uint32_t sequence = 0;
  std::vector<std::uint8_t> png;

  bool empty() const noexcept { return picture.empty() && png.empty(); }
};

}  // namespace pixkeeper
