#pragma once
// The check sums of PNG chunks (CRC-32) and zlib streams (Adler-32), fast
// enough to run over a whole screen's pixels on every save.

#include <cstddef>
#include <cstdint>

namespace pixkeeper {

// Carries `crc` (the result of the bytes before, 0 at the start) over more bytes.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

// Carries `adler` (1 at the start) over more bytes.
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

// The Adler-32 of two runs of bytes one after the other, from the sum of
// each (the second begun at 1) and the second's length.
std::uint32_t Adler32Join(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize);

}  // namespace pixkeeper
