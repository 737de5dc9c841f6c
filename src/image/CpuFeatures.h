#pragma once
// Instructions beyond the SSE2 that every x64 processor has, found out once
// at run time, so that one program runs everywhere and uses them where they are.

// SSE2 itself needs no asking: it is there wherever the compiler targets it.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PIXKEEPER_SSE2 1
#endif

namespace pixkeeper {

bool CpuHasSsse3();      // byte shuffles (pshufb)
bool CpuHasClmul();      // carry-less multiplication (pclmulqdq)

// With true, both answer false from then on, as on the oldest x64
// processors: for the tests, which hold both ways of working against each other.
void UseBaselineOnly(bool baseline);

}  // namespace pixkeeper
