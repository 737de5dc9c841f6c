#pragma once
// A deflate block's bits: the codes of lengths and distances, the bit
// writer, a dynamic block's Huffman codes and header, its literals, runs and
// matches, and stored blocks. The choice of block and the search for matches
// are the writer's (Deflate.cpp); the format is here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Deflate.h"
#include "image/MatchFinder.h"

namespace pixkeeper::deflate {

constexpr std::uint32_t kMaxLength = MatchFinder::kMaxLength;
constexpr std::size_t kStoredMax = 65535;
constexpr int kLitLenSymbols = 286, kDistanceSymbols = 30, kEndOfBlock = 256, kCodeLengthSymbols = 19;
// Literal and length codes stop at 14 bits, so that four literals fit
// between two flushes of the bits; a 15th bit would save next to nothing.
constexpr unsigned kMaxBits = 15, kMaxLiteralBits = 14, kMaxCodeLengthBits = 7;

// For each match length: its symbol (257..285) and the extra bits after it.
struct LengthCode {
  std::uint16_t symbol = 0;
  std::uint8_t extraBits = 0;
  std::uint16_t extra = 0;
};

inline const std::array<LengthCode, kMaxLength + 1>& LengthCodes() {
  static const auto table = [] {
    static constexpr std::uint16_t kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                              31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    std::array<LengthCode, kMaxLength + 1> t{};
    for (std::uint16_t code = 0; code < 29; ++code) {
      const std::uint8_t extra = code < 8 || code == 28 ? 0 : static_cast<std::uint8_t>((code - 4) / 4);
      for (std::size_t length = kBase[code]; length < kBase[code] + (std::size_t{1} << extra) && length <= kMaxLength;
           ++length) {
        t[length] = {static_cast<std::uint16_t>(257 + code), extra, static_cast<std::uint16_t>(length - kBase[code])};
      }
    }
    return t;
  }();
  return table;
}

// For each distance: its symbol (0..29) and the extra bits after it.
struct DistanceCode {
  std::uint8_t symbol, extraBits;
  std::uint16_t extra;
};

inline DistanceCode DistanceCodeOf(std::uint32_t distance) {
  // Symbols 0..3 are distances 1..4; each pair after them doubles the span.
  // From symbol 16 on a span holds whole multiples of 128, so one table
  // serves the first 256 distances one by one and the rest by 128s.
  struct Tables {
    std::array<std::uint32_t, kDistanceSymbols + 1> base{};
    std::array<std::uint8_t, 512> symbol{};
  };
  static const Tables t = [] {
    Tables n;
    n.base[0] = 1;
    for (int code = 0; code < kDistanceSymbols; ++code) {
      n.base[code + 1] = n.base[code] + (1u << (code < 4 ? 0 : code / 2 - 1));
      for (std::uint32_t d = n.base[code] - 1; d < n.base[code + 1] - 1; ++d) {
        n.symbol[d < 256 ? d : 256 + (d >> 7)] = static_cast<std::uint8_t>(code);
      }
    }
    return n;
  }();
  const std::uint32_t d = distance - 1;
  const std::uint8_t symbol = t.symbol[d < 256 ? d : 256 + (d >> 7)];
  const std::uint8_t extraBits = static_cast<std::uint8_t>(symbol < 4 ? 0 : symbol / 2 - 1);
  return {symbol, extraBits, static_cast<std::uint16_t>(distance - t.base[symbol])};
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

// The Huffman codes of a block, and its size in bits with them.
struct BlockCodes {
  std::uint8_t lengths[kLitLenSymbols + kDistanceSymbols];  // literals and lengths, then distances
  std::uint16_t codes[kLitLenSymbols + kDistanceSymbols];
  int litLenListed = kLitLenSymbols, distancesListed = kDistanceSymbols;
  LengthStep steps[kLitLenSymbols + kDistanceSymbols];
  int stepCount = 0;
  std::uint8_t stepLengths[kCodeLengthSymbols];
  std::uint16_t stepCodes[kCodeLengthSymbols];
  int stepLengthsListed = kCodeLengthSymbols;
  std::uint64_t bits = 0;
};

// Makes the codes of a block from its symbols' counts; `extraBits` are the
// extra bits its lengths and distances take.
void MakeCodes(const std::uint32_t* literalCounts, const std::uint32_t* distanceCounts, std::uint64_t extraBits,
               BlockCodes& c);
// How often each byte occurs, added to `counts`.
void CountBytes(const std::uint8_t* data, std::size_t size, std::uint32_t* counts);
// A dynamic block's header: its codes' lengths.
void PutHeader(BitOut& out, const BlockCodes& c, bool last);
// Bytes as literals, but for the runs of the byte before, each sent as its
// length and distance 1; then the end of the block.
void PutLiterals(BitOut& out, const std::uint8_t* data, std::size_t size, const DeflateWriter::Run* runs,
                 std::size_t runCount, const BlockCodes& c);
// Literals and matches (a match: its length, and its distance from bit 16),
// then the end of the block.
void PutTokens(BitOut& out, const std::vector<std::uint32_t>& tokens, const BlockCodes& c);
// The bits of the bytes sent as stored blocks, as many as they need.
std::uint64_t StoredBits(std::size_t size);
void PutStored(BitOut& out, const std::uint8_t* data, std::size_t size, bool last);

}  // namespace pixkeeper::deflate
