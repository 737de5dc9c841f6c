#pragma once
// PNG files made by the tests, byte by byte, so that every field can be
// set or damaged.

#include <cstdint>
#include <vector>

namespace pixkeeper::testing {

// Signature, IHDR (8-bit channels; colour type 2 RGB or 6 RGBA), one IDAT
// holding `idat` as given, IEND; each chunk with its check sum.
std::vector<std::uint8_t> MakePng(std::uint32_t width, std::uint32_t height, int colourType,
                                  const std::vector<std::uint8_t>& idat);

// Rows of R,G,B(,A) bytes, each after a filter byte of 0, as zlib data
// stored without compression: an IDAT for MakePng.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw);

}  // namespace pixkeeper::testing
