#include "image/HuffmanCode.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace pixkeeper {

constexpr unsigned kMaxBits = 15;
constexpr int kMaxSymbols = 288;  // deflate's largest alphabet

// The tables live on the stack: the encoder's two threads make codes for
// every block, and taking memory from the shared heap makes one wait for the other.

void CodeLengths(const std::uint32_t* counts, int symbols, unsigned limit, std::uint8_t* lengths) {
  assert(symbols <= kMaxSymbols && limit <= kMaxBits);
  std::fill(lengths, lengths + symbols, std::uint8_t{0});
  std::pair<std::uint32_t, int> used[kMaxSymbols];  // count and symbol, rarest first
  std::size_t m = 0;
  for (int s = 0; s < symbols; ++s) {
    if (counts[s] != 0) used[m++] = {counts[s], s};
  }
  if (m < 2) {
    const int s = m == 0 ? 0 : used[0].second;
    lengths[s] = lengths[s == 0 ? 1 : 0] = 1;
    return;
  }
  std::sort(used, used + m);
  // Huffman's tree: leaves 0..m-1, joined nodes after them in order of weight.
  const std::size_t nodes = 2 * m - 1;
  std::uint64_t weight[2 * kMaxSymbols];
  std::size_t parent[2 * kMaxSymbols];
  for (std::size_t i = 0; i < m; ++i) weight[i] = used[i].first;
  std::size_t leaf = 0, joined = m;
  for (std::size_t k = m; k < nodes; ++k) {
    std::size_t pick[2];
    for (std::size_t& p : pick) p = leaf < m && (joined >= k || weight[leaf] <= weight[joined]) ? leaf++ : joined++;
    weight[k] = weight[pick[0]] + weight[pick[1]];
    parent[pick[0]] = parent[pick[1]] = k;
  }
  unsigned depth[2 * kMaxSymbols];
  depth[nodes - 1] = 0;
  std::uint32_t perLength[kMaxBits + 1] = {};
  for (std::size_t k = nodes - 1; k > 0; --k) depth[k - 1] = depth[parent[k - 1]] + 1;
  for (std::size_t i = 0; i < m; ++i) ++perLength[std::min(depth[i], limit)];
  // Leaves pulled up to the limit overfill the code; each round moves one
  // leaf of the deepest level under a shallower leaf, which then goes one
  // level down with it, until the code is exactly full.
  std::uint64_t fill = 0;
  for (unsigned len = 1; len <= limit; ++len) fill += std::uint64_t{perLength[len]} << (limit - len);
  for (; fill > (std::uint64_t{1} << limit); --fill) {
    --perLength[limit];
    unsigned len = limit - 1;
    while (perLength[len] == 0) --len;
    --perLength[len];
    perLength[len + 1] += 2;
  }
  // The commonest symbols get the shortest codes.
  std::size_t next = 0;
  for (unsigned len = limit; len >= 1; --len) {
    for (std::uint32_t k = 0; k < perLength[len]; ++k) lengths[used[next++].second] = static_cast<std::uint8_t>(len);
  }
}

void CanonicalCodes(const std::uint8_t* lengths, int symbols, std::uint16_t* codes) {
  std::uint32_t perLength[kMaxBits + 1] = {}, next[kMaxBits + 1] = {};
  for (int s = 0; s < symbols; ++s) ++perLength[lengths[s]];
  perLength[0] = 0;
  for (unsigned len = 1, code = 0; len <= kMaxBits; ++len) next[len] = code = (code + perLength[len - 1]) << 1;
  for (int s = 0; s < symbols; ++s) {
    if (lengths[s] == 0) continue;
    std::uint32_t code = next[lengths[s]]++, reversed = 0;
    for (unsigned k = 0; k < lengths[s]; ++k, code >>= 1) reversed = reversed << 1 | (code & 1);
    codes[s] = static_cast<std::uint16_t>(reversed);
  }
}

}  // namespace pixkeeper
