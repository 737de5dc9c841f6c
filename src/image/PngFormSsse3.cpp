// Built with byte shuffles enabled; called only where the processor has them.
#include "image/PngFormSsse3.h"

#if defined(__SSSE3__) || (defined(_MSC_VER) && defined(_M_X64))
#include <tmmintrin.h>
#define PIXKEEPER_SSSE3 1
#endif

namespace pixkeeper {

#if PIXKEEPER_SSSE3
namespace {

inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

bool PngFormSsse3Built() { return true; }

std::size_t FormRgbSsse3(const std::uint8_t* from, std::size_t width, unsigned in, std::uint8_t* to) {
  // Each step stores 16 bytes of which the next step overwrites the last
  // few: it stops while the row still has room for them.
  std::size_t x = 0;
  if (in == 4) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    for (; x + 6 <= width; x += 4) Store(to + 3 * x, _mm_shuffle_epi8(Load(from + 4 * x), order));
  } else {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, -1);
    for (; x + 6 <= width; x += 5) Store(to + 3 * x, _mm_shuffle_epi8(Load(from + 3 * x), order));
  }
  return x;
}

std::size_t FormRgbaSsse3(const std::uint8_t* from, std::size_t width, std::uint8_t* to) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  std::size_t x = 0;
  for (; x + 4 <= width; x += 4) Store(to + 4 * x, _mm_shuffle_epi8(Load(from + 4 * x), order));
  return x;
}

#else

bool PngFormSsse3Built() { return false; }
std::size_t FormRgbSsse3(const std::uint8_t*, std::size_t, unsigned, std::uint8_t*) { return 0; }
std::size_t FormRgbaSsse3(const std::uint8_t*, std::size_t, std::uint8_t*) { return 0; }

#endif

}  // namespace pixkeeper
