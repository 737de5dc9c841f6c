#include "image/Deflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace pixkeeper {
namespace {

constexpr std::size_t kMinRun = 4;  // shorter runs cost more than their bytes
constexpr std::size_t kMaxRun = 258;
constexpr std::size_t kStoredMax = 65535;
constexpr int kLitLenSymbols = 286, kEndOfBlock = 256, kCodeLengthSymbols = 19;
constexpr unsigned kMaxBits = 15, kMaxCodeLengthBits = 7;

// The order in which a dynamic block lists the lengths of the code-length code.
constexpr std::uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};

// For each run length: its symbol (257..285) and the extra bits after it.
struct LengthCode {
  std::uint16_t symbol = 0;
  std::uint8_t extraBits = 0;
  std::uint16_t extra = 0;
};

const std::array<LengthCode, kMaxRun + 1>& LengthCodes() {
  static const auto table = [] {
    static constexpr std::uint16_t kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                              31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    std::array<LengthCode, kMaxRun + 1> t{};
    for (std::uint16_t code = 0; code < 29; ++code) {
      const std::uint8_t extra = code < 8 || code == 28 ? 0 : static_cast<std::uint8_t>((code - 4) / 4);
      for (std::size_t length = kBase[code]; length < kBase[code] + (std::size_t{1} << extra) && length <= kMaxRun;
           ++length) {
        t[length] = {static_cast<std::uint16_t>(257 + code), extra, static_cast<std::uint16_t>(length - kBase[code])};
      }
    }
    return t;
  }();
  return table;
}

// Code lengths of at most `limit` bits for symbols used `counts` times;
// unused symbols get none. A lone symbol gets a partner, as decoders want
// complete codes.
void CodeLengths(const std::uint32_t* counts, int symbols, unsigned limit, std::uint8_t* lengths) {
  std::fill(lengths, lengths + symbols, std::uint8_t{0});
  std::vector<std::pair<std::uint32_t, int>> used;  // count and symbol, rarest first
  for (int s = 0; s < symbols; ++s) {
    if (counts[s] != 0) used.emplace_back(counts[s], s);
  }
  if (used.size() < 2) {
    const int s = used.empty() ? 0 : used[0].second;
    lengths[s] = lengths[s == 0 ? 1 : 0] = 1;
    return;
  }
  std::sort(used.begin(), used.end());
  // Huffman's tree: leaves 0..m-1, joined nodes after them in order of weight.
  const std::size_t m = used.size(), nodes = 2 * m - 1;
  std::vector<std::uint64_t> weight(nodes);
  std::vector<std::size_t> parent(nodes);
  for (std::size_t i = 0; i < m; ++i) weight[i] = used[i].first;
  std::size_t leaf = 0, joined = m;
  for (std::size_t k = m; k < nodes; ++k) {
    std::size_t pick[2];
    for (std::size_t& p : pick) p = leaf < m && (joined >= k || weight[leaf] <= weight[joined]) ? leaf++ : joined++;
    weight[k] = weight[pick[0]] + weight[pick[1]];
    parent[pick[0]] = parent[pick[1]] = k;
  }
  std::vector<unsigned> depth(nodes, 0);
  std::vector<std::uint32_t> perLength(limit + 1, 0);
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

// Canonical codes for the lengths, bit-reversed since deflate sends codes
// from their first bit while bits are packed from the lowest.
void CodesOf(const std::uint8_t* lengths, int symbols, std::uint16_t* codes) {
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

// Bits into bytes, the first bit lowest. Between calls fewer than 8 bits
// wait; Add gathers up to 56 more before Flush writes the whole bytes.
struct BitOut {
  std::uint8_t* at;  // with room for 8 bytes past the last one written
  std::uint64_t bits;
  unsigned count;

  void Add(std::uint64_t value, unsigned n) {
    bits |= value << count;
    count += n;
  }
  void Flush() {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    at += count / 8;
    bits >>= count & ~7u;
    count &= 7;
  }
  void Put(std::uint64_t value, unsigned n) { Add(value, n), Flush(); }
  void ToByte() {  // zero bits up to the next whole byte
    count = (count + 7) & ~7u;
    Flush();
  }
};

// One code-length symbol with its extra bits: a length, 16 (repeat the last
// 3..6 times), 17 (3..10 zeros) or 18 (11..138 zeros).
struct LengthStep {
  std::uint8_t symbol, extra;
};
constexpr std::uint8_t kStepExtraBits[kCodeLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 2, 3, 7};

std::vector<LengthStep> LengthSteps(const std::uint8_t* lengths, std::size_t n) {
  std::vector<LengthStep> steps;
  for (std::size_t i = 0; i < n;) {
    const std::uint8_t len = lengths[i];
    std::size_t run = 1;
    while (i + run < n && lengths[i + run] == len) ++run;
    i += run;
    if (len == 0) {
      for (; run >= 11; run -= std::min<std::size_t>(run, 138)) {
        steps.push_back({18, static_cast<std::uint8_t>(std::min<std::size_t>(run, 138) - 11)});
      }
      if (run >= 3) steps.push_back({17, static_cast<std::uint8_t>(run - 3)}), run = 0;
    } else {
      steps.push_back({len, 0}), --run;
      for (; run >= 3; run -= std::min<std::size_t>(run, 6)) {
        steps.push_back({16, static_cast<std::uint8_t>(std::min<std::size_t>(run, 6) - 3)});
      }
    }
    for (; run > 0; --run) steps.push_back({len, 0});
  }
  return steps;
}

// Whether a run of kMinRun can begin in the next five bytes after `p[0]`:
// somewhere in p[0..8] five equal bytes follow each other. Eight bytes are
// compared with their neighbours at once; in pictures with detail most
// windows have none and are passed over whole.
bool RunInWindow(const std::uint8_t* p) {
  static_assert(kMinRun == 4, "the window holds runs of four");
  std::uint64_t here, next;
  std::memcpy(&here, p, 8);
  std::memcpy(&next, p + 1, 8);
  const std::uint64_t differ = here ^ next, low7 = 0x7F7F7F7F7F7F7F7Full;
  // 0x80 in exactly the bytes that are 0: where neighbours are equal.
  const std::uint64_t same = ~(((differ & low7) + low7) | differ | low7);
  // Four such bytes in a row, in either byte order.
  return (same & same >> 8 & same >> 16 & same >> 24) != 0;
}

// Counts every byte as a literal, then takes out of them the runs of the
// byte before (distance 1), each at most kMaxRun long, counting their length
// codes instead. Returns the extra bits of the runs, with their distance code.
std::uint64_t CountSymbols(const std::uint8_t* data, std::size_t size, std::uint32_t* counts,
                           std::vector<DeflateRun>& runs) {
  const auto& lengthCodes = LengthCodes();
  std::uint32_t spread[4][256] = {};  // four tables so that a repeated byte does not wait on itself
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    ++spread[0][data[i]], ++spread[1][data[i + 1]], ++spread[2][data[i + 2]], ++spread[3][data[i + 3]];
  }
  for (; i < size; ++i) ++spread[0][data[i]];
  for (int b = 0; b < 256; ++b) counts[b] = spread[0][b] + spread[1][b] + spread[2][b] + spread[3][b];

  runs.clear();
  std::uint64_t extraBits = 0;
  for (i = 1; i < size;) {
    if (i + 8 <= size && !RunInWindow(data + i - 1)) {
      i += 5;
      continue;
    }
    const std::uint8_t byte = data[i - 1];
    std::size_t run = 0;
    while (i + run < size && data[i + run] == byte) ++run;
    const std::size_t end = i + std::max<std::size_t>(run, 1);
    while (run >= kMinRun) {
      // Never leave a piece shorter than a run can be.
      std::size_t length = std::min(run, kMaxRun);
      if (run - length != 0 && run - length < kMinRun) length -= kMinRun;
      runs.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(length)});
      counts[byte] -= static_cast<std::uint32_t>(length);
      ++counts[lengthCodes[length].symbol];
      extraBits += lengthCodes[length].extraBits + 1u;
      run -= length;
      i += length;
    }
    i = end;
  }
  counts[kEndOfBlock] = 1;
  return extraBits;
}

// The Huffman codes of a block, and its size in bits with them.
struct BlockCodes {
  std::uint8_t lengths[kLitLenSymbols];
  std::uint16_t codes[kLitLenSymbols];
  int litLenListed = kLitLenSymbols;
  std::vector<LengthStep> steps;  // the code lengths, then those of the two distance codes
  std::uint8_t stepLengths[kCodeLengthSymbols];
  std::uint16_t stepCodes[kCodeLengthSymbols];
  int stepLengthsListed = kCodeLengthSymbols;
  std::uint64_t bits = 0;
};

void MakeCodes(const std::uint32_t* counts, std::uint64_t extraBits, BlockCodes& c) {
  CodeLengths(counts, kLitLenSymbols, kMaxBits, c.lengths);
  while (c.lengths[c.litLenListed - 1] == 0) --c.litLenListed;
  std::uint8_t listed[kLitLenSymbols + 2];
  std::copy(c.lengths, c.lengths + c.litLenListed, listed);
  listed[c.litLenListed] = listed[c.litLenListed + 1] = 1;  // distance 1 is all that is used
  c.steps = LengthSteps(listed, static_cast<std::size_t>(c.litLenListed) + 2);
  std::uint32_t stepCounts[kCodeLengthSymbols] = {};
  for (const LengthStep& s : c.steps) ++stepCounts[s.symbol];
  CodeLengths(stepCounts, kCodeLengthSymbols, kMaxCodeLengthBits, c.stepLengths);
  while (c.stepLengthsListed > 4 && c.stepLengths[kCodeLengthOrder[c.stepLengthsListed - 1]] == 0) {
    --c.stepLengthsListed;
  }
  CodesOf(c.lengths, kLitLenSymbols, c.codes);
  CodesOf(c.stepLengths, kCodeLengthSymbols, c.stepCodes);

  c.bits = 3 + 14 + 3 * static_cast<std::uint64_t>(c.stepLengthsListed) + extraBits;
  for (int s = 0; s < kCodeLengthSymbols; ++s) {
    c.bits += std::uint64_t{stepCounts[s]} * (c.stepLengths[s] + kStepExtraBits[s]);
  }
  for (int s = 0; s < kLitLenSymbols; ++s) c.bits += std::uint64_t{counts[s]} * c.lengths[s];
}

void PutCoded(BitOut& out, const std::uint8_t* data, std::size_t size, const std::vector<DeflateRun>& runs,
              const BlockCodes& c, bool last) {
  out.Put((last ? 1 : 0) | 2 << 1, 3);
  out.Put(static_cast<std::uint32_t>(c.litLenListed - 257) | 1 << 5 |
              static_cast<std::uint32_t>(c.stepLengthsListed - 4) << 10,
          14);
  for (int k = 0; k < c.stepLengthsListed; ++k) out.Put(c.stepLengths[kCodeLengthOrder[k]], 3);
  for (const LengthStep& s : c.steps) {
    out.Put(c.stepCodes[s.symbol], c.stepLengths[s.symbol]);
    out.Put(s.extra, kStepExtraBits[s.symbol]);
  }
  // Each run's code, extra bits and distance code (a single 0 bit) at once.
  std::uint32_t runCode[kMaxRun + 1] = {};
  std::uint8_t runBits[kMaxRun + 1] = {};
  const auto& lengthCodes = LengthCodes();
  for (std::size_t len = 3; len <= kMaxRun; ++len) {
    const LengthCode& l = lengthCodes[len];
    runCode[len] = c.codes[l.symbol] | static_cast<std::uint32_t>(l.extra) << c.lengths[l.symbol];
    runBits[len] = static_cast<std::uint8_t>(c.lengths[l.symbol] + l.extraBits + 1);
  }
  // Literals three at a time: at most 45 bits.
  std::uint32_t literal[256];  // the code, and its length from bit 24
  for (int b = 0; b < 256; ++b) literal[b] = c.codes[b] | static_cast<std::uint32_t>(c.lengths[b]) << 24;
  const auto add = [&](std::uint8_t byte) { out.Add(literal[byte] & 0xFFFFFF, literal[byte] >> 24); };
  std::size_t at = 0;
  const auto literalsUpTo = [&](std::size_t end) {
    for (; at + 3 <= end; at += 3) add(data[at]), add(data[at + 1]), add(data[at + 2]), out.Flush();
    for (; at < end; ++at) add(data[at]);
    out.Flush();
  };
  for (const DeflateRun& run : runs) {
    literalsUpTo(run.at);
    out.Put(runCode[run.length], runBits[run.length]);
    at += run.length;
  }
  literalsUpTo(size);
  out.Put(c.codes[kEndOfBlock], c.lengths[kEndOfBlock]);
}

// As many stored blocks as the bytes need.
std::uint64_t StoredBits(std::size_t size) {
  const std::size_t blocks = size == 0 ? 1 : (size + kStoredMax - 1) / kStoredMax;
  return 8 * (std::uint64_t{size} + 6 * blocks);  // a header, bits up to a byte, length and its check
}

void PutStored(BitOut& out, const std::uint8_t* data, std::size_t size, bool last) {
  std::size_t done = 0;
  do {
    const std::size_t n = std::min(size - done, kStoredMax);
    out.Put(last && done + n == size ? 1 : 0, 3);
    out.ToByte();
    out.Put(static_cast<std::uint32_t>(n | (~n & 0xFFFF) << 16), 32);
    out.at = std::copy(data + done, data + done + n, out.at);
    done += n;
  } while (done < size);
}

}  // namespace

DeflateWriter::DeflateWriter(std::vector<std::uint8_t>& out) : out_(out) {}

void DeflateWriter::Align() {
  if (ended_) return;
  const std::size_t start = out_.size();
  out_.resize(start + 16);
  BitOut out{out_.data() + start, bits_, bitCount_};
  out.Put(0, 3);  // an empty stored block, not the last
  out.ToByte();
  out.Put(0xFFFF0000u, 32);
  out_.resize(static_cast<std::size_t>(out.at - out_.data()));
  bits_ = out.bits;
  bitCount_ = out.count;
}

void DeflateWriter::Block(const std::uint8_t* data, std::size_t size, bool last) {
  if (ended_) return;
  std::uint32_t counts[kLitLenSymbols] = {};
  const std::uint64_t extraBits = CountSymbols(data, size, counts, runs_);
  BlockCodes codes;
  MakeCodes(counts, extraBits, codes);
  const std::uint64_t storedBits = StoredBits(size);

  const std::size_t start = out_.size();
  out_.resize(start + static_cast<std::size_t>(std::min(codes.bits, storedBits) / 8) + 32);
  BitOut out{out_.data() + start, bits_, bitCount_};
  if (storedBits <= codes.bits) {
    PutStored(out, data, size, last);
  } else {
    PutCoded(out, data, size, runs_, codes, last);
  }
  if (last) {
    out.ToByte();
    ended_ = true;
  }
  out_.resize(static_cast<std::size_t>(out.at - out_.data()));
  bits_ = out.bits;
  bitCount_ = out.count;
}

}  // namespace pixkeeper
