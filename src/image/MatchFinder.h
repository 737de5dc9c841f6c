#pragma once
// Where the bytes at a position were seen before, within the 32 KB that a
// deflate match can reach back. The positions of each hash of three bytes are
// chained newest first; only the first few of a chain are tried, so that a
// picture's flat areas, where every chain is long, cost no more than detail.

#include <cstdint>
#include <vector>

namespace pixkeeper {

struct Match {
  std::uint32_t length = 0, distance = 0;
};

class MatchFinder {
 public:
  static constexpr std::uint32_t kMaxDistance = 32767;  // so that a chain's oldest slot is never reused under it
  static constexpr std::uint32_t kMaxLength = 258;

  // Forgets every position, keeping the tables' memory. Before first use.
  void Reset();

  // Records that position `at` of `data` holds its next three bytes (a fourth must follow).
  void Insert(const std::uint8_t* data, std::uint32_t at);

  // Records `at`, then returns the longest earlier match of the bytes there,
  // at most `limit` long, among the chain's first `tries` positions; its
  // length is 0 when there is none longer than `atLeast`.
  Match Find(const std::uint8_t* data, std::uint32_t at, std::uint32_t limit, unsigned tries,
             std::uint32_t atLeast);

  // The buffer lost its first `by` bytes: positions move down with it.
  void Slide(std::uint32_t by);

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  std::vector<std::uint32_t> head_, previous_;  // positions in the stream
  std::uint32_t base_ = 0;                      // the stream position of the buffer's first byte
};

// How many of the first `limit` bytes at `a` and `b` are equal.
std::uint32_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t limit);

}  // namespace pixkeeper
