#pragma once
// The ways Crc32 can be worked out, each for any input, so that the tests
// can hold each against the others; Crc32 picks the fastest the processor has.

#include <cstddef>
#include <cstdint>

namespace pixkeeper {

// Eight bytes a step through tables: any processor.
std::uint32_t Crc32Tables(const std::uint8_t* data, std::size_t size, std::uint32_t crc);

// Sixty-four bytes a step by carry-less multiplication: only where
// CpuHasClmul(); false where the program was built without it.
bool Crc32ClmulBuilt();
std::uint32_t Crc32Clmul(const std::uint8_t* data, std::size_t size, std::uint32_t crc);

}  // namespace pixkeeper
