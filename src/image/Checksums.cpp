#include "image/Checksums.h"

#include <array>

#include "image/ChecksumKinds.h"
#include "image/CpuFeatures.h"

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
  return Crc32ClmulBuilt() && CpuHasClmul() ? Crc32Clmul(p, size, crc) : Crc32Tables(p, size, crc);
}

std::uint32_t Crc32Tables(const std::uint8_t* p, std::size_t size, std::uint32_t crc) {
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

namespace {

// The most bytes whose weighted sum fits in 32 bits.
constexpr std::size_t kAdlerRun = 5552;

#if PIXKEEPER_SSE2
// Sixteen bytes a step: their sum in `sums`, each weighted by 16..1 in
// `weighted`, and in `earlier` the sums of the steps before, which each
// byte of a later step adds to the second sum sixteen times more.
void AdlerSteps(const std::uint8_t*& p, std::size_t& size, std::uint32_t& a, std::uint32_t& b) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  while (size >= 16) {
    const std::size_t run = (size < kAdlerRun ? size : kAdlerRun) & ~std::size_t{15};
    __m128i sums = zero, earlier = zero, weighted = zero;
    for (std::size_t i = 0; i < run; i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      earlier = _mm_add_epi32(earlier, sums);
      sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights));
    }
    const auto total = [](__m128i v) {
      std::uint32_t lanes[4];
      _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), v);
      return std::uint64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
    };
    b = static_cast<std::uint32_t>((b + std::uint64_t{a} * run + 16 * total(earlier) + total(weighted)) % kAdlerBase);
    a = static_cast<std::uint32_t>((a + total(sums)) % kAdlerBase);
    p += run;
    size -= run;
  }
}
#endif

}  // namespace

std::uint32_t Adler32(const std::uint8_t* p, std::size_t size, std::uint32_t adler) {
  std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
#if PIXKEEPER_SSE2
  AdlerSteps(p, size, a, b);
#endif
  while (size > 0) {
    const std::size_t run = size < kAdlerRun ? size : kAdlerRun;
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
