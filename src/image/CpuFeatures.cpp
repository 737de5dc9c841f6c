#include "image/CpuFeatures.h"

#include <atomic>

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <intrin.h>
#define PIXKEEPER_CPUID 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define PIXKEEPER_CPUID 1
#endif

namespace pixkeeper {
namespace {

// ECX of CPUID leaf 1, where both features are listed; 0 elsewhere.
unsigned FeatureBits() {
#if PIXKEEPER_CPUID && defined(_MSC_VER)
  int registers[4] = {};
  __cpuid(registers, 1);
  return static_cast<unsigned>(registers[2]);
#elif PIXKEEPER_CPUID
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) ? c : 0;
#else
  return 0;
#endif
}

std::atomic<bool> g_baseline{false};

unsigned Features() {
  static const unsigned bits = FeatureBits();
  return g_baseline.load(std::memory_order_relaxed) ? 0 : bits;
}

}  // namespace

void UseBaselineOnly(bool baseline) { g_baseline = baseline; }

bool CpuHasSsse3() { return (Features() & (1u << 9)) != 0; }
bool CpuHasClmul() { return (Features() & (1u << 1)) != 0; }

}  // namespace pixkeeper
