#include "image/PngFilters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pixkeeper {
namespace {

enum Filter : std::uint8_t { kNone, kSub, kUp, kAverage, kPaeth, kFilters };

// The sample's stretches are short and close together, so that sparse text
// and thin lines fall into it as often as the plain ground between them.
constexpr std::size_t kStretch = 32, kSampleEvery = 8;

// Of the pixel before (a), the one above (b) and the one above that (c), the
// one nearest to a + b - c. In 16 bits, which hold every step and let the
// compiler take eight bytes at once.
inline std::int16_t Paeth(std::int16_t a, std::int16_t b, std::int16_t c) {
  const auto distance = [](int d) { return static_cast<std::int16_t>(d < 0 ? -d : d); };
  const std::int16_t pa = distance(b - c), pb = distance(a - c), pc = distance(a + b - 2 * c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

inline std::uint32_t Weight(int difference) {
  return static_cast<std::uint32_t>(std::abs(static_cast<int>(static_cast<std::int8_t>(static_cast<std::uint8_t>(difference)))));
}

// Byte x of the row filtered with `f`, given the bytes before (a), above (b)
// and above-before (c).
inline std::uint8_t Filtered(Filter f, int x, int a, int b, int c) {
  switch (f) {
    case kSub: return static_cast<std::uint8_t>(x - a);
    case kUp: return static_cast<std::uint8_t>(x - b);
    case kAverage: return static_cast<std::uint8_t>(x - (a + b) / 2);
    case kPaeth: return static_cast<std::uint8_t>(x - Paeth(static_cast<std::int16_t>(a), static_cast<std::int16_t>(b),
                                                             static_cast<std::int16_t>(c)));
    default: return static_cast<std::uint8_t>(x);
  }
}

// The weights of all five at once over bytes [from, to) of the row (from at
// least `pixel`), in one pass that the compiler can vectorise.
void Weigh(const std::uint8_t* row, const std::uint8_t* above, std::size_t from, std::size_t to, std::size_t pixel,
           std::uint32_t* weights) {
  std::uint32_t none = 0, sub = 0, up = 0, average = 0, paeth = 0;
  for (std::size_t i = from; i < to; ++i) {
    const int x = row[i], a = row[i - pixel], b = above[i], c = above[i - pixel];
    none += Weight(x), sub += Weight(x - a), up += Weight(x - b), average += Weight(x - (a + b) / 2);
    paeth += Weight(x - Paeth(static_cast<std::int16_t>(a), static_cast<std::int16_t>(b), static_cast<std::int16_t>(c)));
  }
  weights[kNone] += none, weights[kSub] += sub, weights[kUp] += up, weights[kAverage] += average, weights[kPaeth] += paeth;
}

// The first pixel's bytes, which have no pixel before them.
void WeighFirst(const std::uint8_t* row, const std::uint8_t* above, std::size_t pixel, std::uint32_t* weights) {
  for (std::size_t i = 0; i < pixel; ++i) {
    const int x = row[i], b = above[i];
    weights[kNone] += Weight(x), weights[kSub] += Weight(x), weights[kUp] += Weight(x - b);
    weights[kAverage] += Weight(x - b / 2), weights[kPaeth] += Weight(x - b);
  }
}

template <Filter f>
void Apply(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t pixel, std::uint8_t* to) {
  for (std::size_t i = 0; i < pixel && i < bytes; ++i) to[i] = Filtered(f, row[i], 0, above[i], 0);
  for (std::size_t i = pixel; i < bytes; ++i) to[i] = Filtered(f, row[i], row[i - pixel], above[i], above[i - pixel]);
}

}  // namespace

void FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t pixel,
               std::uint8_t* to) {
  std::uint32_t weights[kFilters] = {};
  const std::size_t first = std::min(pixel, bytes);
  WeighFirst(row, above, first, weights);
  // A long row is judged by a sample: one stretch in every kSampleEvery, so
  // that choosing costs less than filtering.
  for (std::size_t at = first; at < bytes; at += kStretch * kSampleEvery) {
    Weigh(row, above, at, std::min(bytes, at + kStretch), pixel, weights);
  }
  Filter best = kNone;
  for (int f = kSub; f < kFilters; ++f) {
    if (weights[f] < weights[best]) best = static_cast<Filter>(f);
  }
  *to++ = best;
  switch (best) {
    case kSub: return Apply<kSub>(row, above, bytes, pixel, to);
    case kUp: return Apply<kUp>(row, above, bytes, pixel, to);
    case kAverage: return Apply<kAverage>(row, above, bytes, pixel, to);
    case kPaeth: return Apply<kPaeth>(row, above, bytes, pixel, to);
    default: std::memcpy(to, row, bytes);
  }
}

void UnfilteredRow(const std::uint8_t* row, std::size_t bytes, std::uint8_t* to) {
  *to = kNone;
  std::memcpy(to + 1, row, bytes);
}

}  // namespace pixkeeper
