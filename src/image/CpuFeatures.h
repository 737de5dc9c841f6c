#pragma once
// Instructions beyond the SSE2 that every x64 processor has, found out once
// at run time, so that one program runs everywhere and uses them where they are.

namespace pixkeeper {

bool CpuHasSsse3();      // byte shuffles (pshufb)
bool CpuHasClmul();      // carry-less multiplication (pclmulqdq)

// With true, both answer false from then on, as on the oldest x64
// processors: for the tests, which hold both ways of working against each other.
void UseBaselineOnly(bool baseline);

}  // namespace pixkeeper
