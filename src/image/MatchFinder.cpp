#include "image/MatchFinder.h"

#include <cstring>
#include <initializer_list>

#include "image/LowestSetBit.h"

namespace pixkeeper {
namespace {

constexpr unsigned kHashBits = 15;
constexpr std::uint32_t kChainSlots = 32768;  // one for each position of the window
constexpr std::uint32_t kRebaseAt = 0x40000000;

// Of the first three bytes at `p`, which must be followed by a fourth: matches
// of a single pixel of three bytes pay where text and widgets repeat.
std::uint32_t Hash(const std::uint8_t* p) {
  std::uint32_t four;
  std::memcpy(&four, p, 4);
  // The product's bits 16..31, as if multiplied modulo 2^32, without a wrap.
  return static_cast<std::uint32_t>((std::uint64_t{four & 0xFFFFFF} * 0x9E3779B1u) >> (32 - kHashBits)) &
         ((1u << kHashBits) - 1);
}

// The number of equal bytes at the low end of two words that differ in `x`
// (not 0): the first bytes in memory on the little-endian machines the
// program runs on.
std::uint32_t EqualLowBytes(std::uint64_t x) { return LowestSetBit(x) / 8; }

}  // namespace

std::uint32_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t limit) {
  std::uint32_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + EqualLowBytes(x ^ y);
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

void MatchFinder::Reset() {
  head_.assign(std::size_t{1} << kHashBits, kNone);
  previous_.assign(kChainSlots, kNone);
  base_ = 0;
}

void MatchFinder::Insert(const std::uint8_t* data, std::uint32_t at) {
  std::uint32_t& head = head_[Hash(data + at)];
  previous_[(base_ + at) % kChainSlots] = head;
  head = base_ + at;
}

Match MatchFinder::Find(const std::uint8_t* data, std::uint32_t at, std::uint32_t limit, unsigned tries,
                        std::uint32_t atLeast) {
  const std::uint32_t here = base_ + at;
  std::uint32_t& head = head_[Hash(data + at)];
  std::uint32_t candidate = head;
  previous_[here % kChainSlots] = candidate;
  head = here;
  Match best;
  best.length = atLeast;
  const std::uint8_t* const bytes = data + at;
  for (; tries > 0 && candidate != kNone && candidate < here && here - candidate <= kMaxDistance && candidate >= base_;
       --tries) {
    const std::uint8_t* there = data + (candidate - base_);
    // Only a candidate that goes on past the best so far can beat it.
    if (best.length < limit && there[best.length] == bytes[best.length]) {
      const std::uint32_t length = MatchLength(there, bytes, limit);
      if (length > best.length) {
        best = {length, here - candidate};
        if (length >= limit) break;
      }
    }
    const std::uint32_t next = previous_[candidate % kChainSlots];
    if (next >= candidate) break;  // the slot has been used for a later position
    candidate = next;
  }
  return best.distance == 0 ? Match{} : best;
}

void MatchFinder::Slide(std::uint32_t by) {
  base_ += by;
  if (base_ < kRebaseAt) return;
  // Positions count from the stream's start: now and then, far apart, they
  // are counted from the buffer's start again, and those before it forgotten.
  for (std::vector<std::uint32_t>* table : {&head_, &previous_}) {
    for (std::uint32_t& p : *table) p = p != kNone && p >= base_ ? p - base_ : kNone;
  }
  base_ = 0;
}

}  // namespace pixkeeper
