// Built with carry-less multiplication enabled; called only where the
// processor has it.
#include "image/ChecksumKinds.h"

#if defined(__PCLMUL__) || (defined(_MSC_VER) && defined(_M_X64))
#include <emmintrin.h>
#include <wmmintrin.h>
#define PIXKEEPER_CLMUL 1
#endif

namespace pixkeeper {

#if PIXKEEPER_CLMUL
namespace {

// The bytes are read as bits in the order CRC-32 takes them: the lowest bit
// of the first byte first. In a 16-byte lane, bit m (counting from the lowest
// bit of its first byte) is the coefficient of x^(127 - m) of the lane's
// polynomial A = Ahigh x^64 + Alow, so its low half holds Ahigh and its high
// half Alow, each with x^63 in its lowest bit. The carry-less product of two
// such halves has x^(126 - m) in bit m. A lane is moved D bits further on by
// multiplying Ahigh by x^(D + 63) and Alow by x^(D - 1) modulo the
// polynomial: the product, read as a lane, is then A x^D, which has the same
// remainder as the lane D bits later would have.

constexpr std::uint64_t kPolynomial = 0x104C11DB7;  // x^32 + ... + 1, highest power highest

// x^n modulo the polynomial, x^31 in bit 32 and x^0 in bit 63, as the halves hold it.
std::uint64_t PowerHalf(unsigned n) {
  std::uint64_t r = 1;
  for (unsigned k = 0; k < n; ++k) {
    r <<= 1;
    if ((r >> 32) & 1) r ^= kPolynomial;
  }
  std::uint64_t half = 0;
  for (unsigned bit = 0; bit < 32; ++bit) {
    if ((r >> bit) & 1) half |= std::uint64_t{1} << (63 - bit);
  }
  return half;
}

// Multipliers for moving a lane D bits on: for its low half, then its high half.
__m128i MoveBy(unsigned d) {
  return _mm_set_epi64x(static_cast<long long>(PowerHalf(d - 1)), static_cast<long long>(PowerHalf(d + 63)));
}

inline __m128i Move(__m128i lane, __m128i by) {
  return _mm_xor_si128(_mm_clmulepi64_si128(lane, by, 0x00), _mm_clmulepi64_si128(lane, by, 0x11));
}

inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

}  // namespace

bool Crc32ClmulBuilt() { return true; }

std::uint32_t Crc32Clmul(const std::uint8_t* p, std::size_t size, std::uint32_t crc) {
  if (size < 64) return Crc32Tables(p, size, crc);
  static const __m128i by512 = MoveBy(512), by128 = MoveBy(128);
  // The register goes into the first bytes, where the tables would add it.
  __m128i lanes[4] = {_mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(~crc))), Load(p + 16), Load(p + 32),
                      Load(p + 48)};
  p += 64, size -= 64;
  for (; size >= 64; p += 64, size -= 64) {
    for (int k = 0; k < 4; ++k) lanes[k] = _mm_xor_si128(Move(lanes[k], by512), Load(p + 16 * k));
  }
  __m128i lane = lanes[0];
  for (int k = 1; k < 4; ++k) lane = _mm_xor_si128(Move(lane, by128), lanes[k]);
  for (; size >= 16; p += 16, size -= 16) lane = _mm_xor_si128(Move(lane, by128), Load(p));
  // The last lane stands for everything so far: its remainder, from a clear
  // register, and then the bytes left over.
  alignas(16) std::uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), lane);
  return Crc32Tables(p, size, Crc32Tables(rest, 16, 0xFFFFFFFFu));
}

#else

bool Crc32ClmulBuilt() { return false; }

std::uint32_t Crc32Clmul(const std::uint8_t* p, std::size_t size, std::uint32_t crc) {
  return Crc32Tables(p, size, crc);
}

#endif

}  // namespace pixkeeper
