#pragma once
// The list's small pictures, kept in one block of memory of a fixed size
// handed to the store: one after the other, going round, so that the newest
// takes the place of the oldest once the block is full. The memory never
// grows, whatever the count, and nothing of it comes from the shared heap,
// where it would scatter among other blocks.

#include <cstddef>
#include <cstdint>

#include "image/Thumbnail.h"

namespace pixkeeper {

class ThumbnailStore {
 public:
  // `memory` holds `capacity` bytes (rounded down to a multiple of 8) and
  // outlives the store; it is 8-byte aligned.
  ThumbnailStore(std::uint8_t* memory, std::size_t capacity);
  ThumbnailStore(const ThumbnailStore&) = delete;
  ThumbnailStore& operator=(const ThumbnailStore&) = delete;

  // Keeps a copy of the picture, dropping the oldest ones as long as there is
  // no room. Returns its key, never 0; 0 for an empty picture or one larger
  // than the whole block, which is not kept.
  std::uint64_t Add(const ThumbnailView& picture);
  // The picture kept under the key; empty once it was dropped, and for 0.
  ThumbnailView Find(std::uint64_t key) const;

 private:
  // In front of every picture; a width of 0 marks the end of the block
  // that a picture too long for it skipped.
  struct Header {
    std::uint16_t width, height;
    std::uint32_t unused;
  };
  const Header& HeaderAt(std::uint64_t position) const;
  Header& HeaderAt(std::uint64_t position);

  std::uint8_t* memory_;
  std::uint64_t capacity_;
  // Positions count bytes ever handed out; a position's place in the block
  // is the position modulo the capacity. The pictures kept lie in
  // [oldest_, next_); a key is the position of its picture.
  std::uint64_t oldest_, next_;
};

}  // namespace pixkeeper
