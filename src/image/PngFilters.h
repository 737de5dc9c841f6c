#pragma once
// The five filters of PNG rows, and the choice of one per row.

#include <cstddef>
#include <cstdint>

namespace pixkeeper {

// Writes the filter byte and the filtered row to `to` (bytes + 1 long). Of
// None, Sub, Up, Average and Paeth the one is taken whose bytes, read as
// signed numbers, lie closest to zero in sum: such rows code smallest.
// `pixel` is the distance from a byte to the same one of the pixel before;
// `above` is the row above, zeros for the top row.
void FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t pixel,
               std::uint8_t* to);

// Writes the filter byte of None and the row as it is.
void UnfilteredRow(const std::uint8_t* row, std::size_t bytes, std::uint8_t* to);

}  // namespace pixkeeper
