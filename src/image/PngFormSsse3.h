#pragma once
// Pixels of a DIB into the file's red, green, blue (and alpha) order by byte
// shuffles: only where CpuHasSsse3(), and PngFormSsse3Built().

#include <cstddef>
#include <cstdint>

namespace pixkeeper {

bool PngFormSsse3Built();

// The first pixels of a row of `width` pixels of `in` (3 or 4) bytes; returns
// how many were done, leaving the rest to the caller. Reads 16 bytes at a
// time, never past the row.
std::size_t FormRgbSsse3(const std::uint8_t* from, std::size_t width, unsigned in, std::uint8_t* to);
std::size_t FormRgbaSsse3(const std::uint8_t* from, std::size_t width, std::uint8_t* to);

}  // namespace pixkeeper
