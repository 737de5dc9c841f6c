#pragma once
// The index of the lowest set bit of a word, with the instruction that finds
// it on each compiler.

#include <cstdint>

#if defined(_MSC_VER)
#include <intrin.h>
#endif

namespace pixkeeper {

// `x` must not be 0.
inline std::uint32_t LowestSetBit(std::uint64_t x) {
#if defined(_MSC_VER)
  unsigned long bit;
  _BitScanForward64(&bit, x);
  return bit;
#else
  return static_cast<std::uint32_t>(__builtin_ctzll(x));
#endif
}

}  // namespace pixkeeper
