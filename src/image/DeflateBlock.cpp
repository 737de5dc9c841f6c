#include "image/DeflateBlock.h"

#include <algorithm>

#include "image/HuffmanCode.h"

namespace pixkeeper::deflate {

namespace {

// The order in which a dynamic block lists the lengths of the code-length code.
constexpr std::uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};

constexpr std::uint8_t kStepExtraBits[kCodeLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 2, 3, 7};

// Writes the steps into `steps`, which has room for one step per length,
// and returns how many there are.
int LengthSteps(const std::uint8_t* lengths, std::size_t n, LengthStep* steps) {
  int count = 0;
  const auto add = [&](std::uint8_t symbol, std::size_t extra) { steps[count++] = {symbol, static_cast<std::uint8_t>(extra)}; };
  for (std::size_t i = 0; i < n;) {
    const std::uint8_t len = lengths[i];
    std::size_t run = 1;
    while (i + run < n && lengths[i + run] == len) ++run;
    i += run;
    if (len == 0) {
      for (; run >= 11; run -= std::min<std::size_t>(run, 138)) add(18, std::min<std::size_t>(run, 138) - 11);
      if (run >= 3) add(17, run - 3), run = 0;
    } else {
      add(len, 0), --run;
      for (; run >= 3; run -= std::min<std::size_t>(run, 6)) add(16, std::min<std::size_t>(run, 6) - 3);
    }
    for (; run > 0; --run) add(len, 0);
  }
  return count;
}

}  // namespace

void MakeCodes(const std::uint32_t* literalCounts, const std::uint32_t* distanceCounts, std::uint64_t extraBits,
               BlockCodes& c) {
  std::uint8_t* const distanceLengths = c.lengths + kLitLenSymbols;
  CodeLengths(literalCounts, kLitLenSymbols, kMaxLiteralBits, c.lengths);
  CodeLengths(distanceCounts, kDistanceSymbols, kMaxBits, distanceLengths);
  while (c.lengths[c.litLenListed - 1] == 0) --c.litLenListed;
  while (distanceLengths[c.distancesListed - 1] == 0) --c.distancesListed;
  // Both lists are sent as one, so that a run of lengths may go on from one into the other.
  std::uint8_t listed[kLitLenSymbols + kDistanceSymbols];
  std::copy(c.lengths, c.lengths + c.litLenListed, listed);
  std::copy(distanceLengths, distanceLengths + c.distancesListed, listed + c.litLenListed);
  c.stepCount = LengthSteps(listed, static_cast<std::size_t>(c.litLenListed + c.distancesListed), c.steps);
  std::uint32_t stepCounts[kCodeLengthSymbols] = {};
  for (int k = 0; k < c.stepCount; ++k) ++stepCounts[c.steps[k].symbol];
  CodeLengths(stepCounts, kCodeLengthSymbols, kMaxCodeLengthBits, c.stepLengths);
  while (c.stepLengthsListed > 4 && c.stepLengths[kCodeLengthOrder[c.stepLengthsListed - 1]] == 0) {
    --c.stepLengthsListed;
  }
  CanonicalCodes(c.lengths, kLitLenSymbols, c.codes);
  CanonicalCodes(distanceLengths, kDistanceSymbols, c.codes + kLitLenSymbols);
  CanonicalCodes(c.stepLengths, kCodeLengthSymbols, c.stepCodes);

  c.bits = 3 + 14 + 3 * static_cast<std::uint64_t>(c.stepLengthsListed) + extraBits;
  for (int s = 0; s < kCodeLengthSymbols; ++s) {
    c.bits += std::uint64_t{stepCounts[s]} * (c.stepLengths[s] + kStepExtraBits[s]);
  }
  for (int s = 0; s < kLitLenSymbols; ++s) c.bits += std::uint64_t{literalCounts[s]} * c.lengths[s];
  for (int s = 0; s < kDistanceSymbols; ++s) c.bits += std::uint64_t{distanceCounts[s]} * distanceLengths[s];
}

// How often each byte occurs, in four tables so that a repeated byte does not wait on itself.
void CountBytes(const std::uint8_t* data, std::size_t size, std::uint32_t* counts) {
  std::uint32_t spread[4][256] = {};
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    ++spread[0][data[i]], ++spread[1][data[i + 1]], ++spread[2][data[i + 2]], ++spread[3][data[i + 3]];
  }
  for (; i < size; ++i) ++spread[0][data[i]];
  for (int b = 0; b < 256; ++b) counts[b] += spread[0][b] + spread[1][b] + spread[2][b] + spread[3][b];
}

void PutHeader(BitOut& out, const BlockCodes& c, bool last) {
  out.Put((last ? 1 : 0) | 2 << 1, 3);
  out.Put(static_cast<std::uint32_t>(c.litLenListed - 257) | static_cast<std::uint32_t>(c.distancesListed - 1) << 5 |
              static_cast<std::uint32_t>(c.stepLengthsListed - 4) << 10,
          14);
  for (int k = 0; k < c.stepLengthsListed; ++k) out.Put(c.stepLengths[kCodeLengthOrder[k]], 3);
  for (int k = 0; k < c.stepCount; ++k) {
    const LengthStep& s = c.steps[k];
    out.Put(c.stepCodes[s.symbol], c.stepLengths[s.symbol]);
    out.Put(s.extra, kStepExtraBits[s.symbol]);
  }
}

// Bytes as literals, four (at most 56 bits) between flushes, but for the
// runs of the byte before, each sent as its length and distance 1.
void PutLiterals(BitOut& to, const std::uint8_t* data, std::size_t size, const DeflateWriter::Run* runs,
                 std::size_t runCount, const BlockCodes& c) {
  // A copy of the writer that the bytes written cannot alias, so that it stays in registers.
  BitOut out = to;
  std::uint32_t literal[256];  // the code, and its length from bit 24
  for (int b = 0; b < 256; ++b) literal[b] = c.codes[b] | static_cast<std::uint32_t>(c.lengths[b]) << 24;
  const auto add = [&](std::uint8_t byte) { out.Add(literal[byte] & 0xFFFFFF, literal[byte] >> 24); };
  std::size_t at = 0;
  const auto literalsUpTo = [&](std::size_t end) {
    for (; at + 4 <= end; at += 4) add(data[at]), add(data[at + 1]), add(data[at + 2]), add(data[at + 3]), out.Flush();
    for (; at < end; ++at) add(data[at]);
    out.Flush();
  };
  const auto& lengthCodes = LengthCodes();
  const std::uint16_t distanceOne = c.codes[kLitLenSymbols];
  const unsigned distanceOneBits = c.lengths[kLitLenSymbols];
  for (const DeflateWriter::Run* run = runs; run != runs + runCount; ++run) {
    literalsUpTo(run->at);
    const LengthCode& l = lengthCodes[run->length];
    out.Add(c.codes[l.symbol] | static_cast<std::uint32_t>(l.extra) << c.lengths[l.symbol], c.lengths[l.symbol] + l.extraBits);
    out.Add(distanceOne, distanceOneBits);
    out.Flush();
    at += run->length;
  }
  literalsUpTo(size);
  out.Put(c.codes[kEndOfBlock], c.lengths[kEndOfBlock]);
  to = out;
}

void PutTokens(BitOut& to, const std::vector<std::uint32_t>& tokens, const BlockCodes& c) {
  BitOut out = to;  // as in PutLiterals
  // Each length's code with its extra bits, ready to send at once.
  std::uint32_t lengthCode[kMaxLength + 1] = {};
  std::uint8_t lengthBits[kMaxLength + 1] = {};
  const auto& lengthCodes = LengthCodes();
  for (std::size_t len = 3; len <= kMaxLength; ++len) {
    const LengthCode& l = lengthCodes[len];
    lengthCode[len] = c.codes[l.symbol] | static_cast<std::uint32_t>(l.extra) << c.lengths[l.symbol];
    lengthBits[len] = static_cast<std::uint8_t>(c.lengths[l.symbol] + l.extraBits);
  }
  const std::uint16_t* distanceCodes = c.codes + kLitLenSymbols;
  const std::uint8_t* distanceLengths = c.lengths + kLitLenSymbols;
  // Up to three literals (45 bits) or one match (48 bits) between flushes.
  unsigned literals = 0;
  for (const std::uint32_t token : tokens) {
    if (token < 256) {
      out.Add(c.codes[token], c.lengths[token]);
      if (++literals == 3) out.Flush(), literals = 0;
      continue;
    }
    out.Flush(), literals = 0;
    const std::uint32_t length = token & 0xFFFF;
    const DistanceCode d = DistanceCodeOf(token >> 16);
    out.Add(lengthCode[length], lengthBits[length]);
    out.Add(distanceCodes[d.symbol] | static_cast<std::uint64_t>(d.extra) << distanceLengths[d.symbol],
            distanceLengths[d.symbol] + d.extraBits);
    out.Flush();
  }
  out.Add(c.codes[kEndOfBlock], c.lengths[kEndOfBlock]);
  out.Flush();
  to = out;
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

}  // namespace pixkeeper::deflate
