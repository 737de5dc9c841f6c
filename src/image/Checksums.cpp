#include "image/Checksums.h"

#include <array>

namespace pixkeeper {
namespace {

constexpr std::uint32_t kAdlerBase = 65521;

// Eight tables so that eight bytes are folded in per step.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

CrcTables MakeCrcTables() {
  CrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (std::uint32_t i = 0; i < 256; ++i) {
    for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
  return t;
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* p, std::size_t size, std::uint32_t crc) {
  static const CrcTables t = MakeCrcTables();
  crc = ~crc;
  for (; size >= 8; size -= 8, p += 8) {
    const std::uint32_t low = crc ^ (p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; size > 0; --size, ++p) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* p, std::size_t size, std::uint32_t adler) {
  // The most bytes whose weighted sum fits in 32 bits.
  constexpr std::size_t kRun = 5552;
  std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
  while (size > 0) {
    const std::size_t run = size < kRun ? size : kRun;
    // Over the run the second sum gains the first once per byte, and each
    // byte once for every byte from it to the end of the run.
    std::uint32_t sum = 0, weighted = 0;
    for (std::size_t i = 0; i < run; ++i) {
      sum += p[i];
      weighted += static_cast<std::uint32_t>(run - i) * p[i];
    }
    b = static_cast<std::uint32_t>((b + std::uint64_t{a} * run + weighted) % kAdlerBase);
    a += sum;
    a %= kAdlerBase;
    p += run;
    size -= run;
  }
  return b << 16 | a;
}

std::uint32_t Adler32Join(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize) {
  // The second's bytes each added the first's sum (less its starting 1)
  // once more to the second sum.
  const std::uint64_t firstA = first & 0xFFFF, size = secondSize % kAdlerBase;
  const std::uint64_t a = (firstA + (second & 0xFFFF) + kAdlerBase - 1) % kAdlerBase;
  const std::uint64_t b = ((first >> 16) + (second >> 16) + size * (firstA + kAdlerBase - 1)) % kAdlerBase;
  return static_cast<std::uint32_t>(b << 16 | a);
}

}  // namespace pixkeeper
