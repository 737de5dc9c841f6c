#pragma once
// Huffman codes as deflate sends them: lengths limited to a number of bits,
// canonical codes made from the lengths alone.

#include <cstdint>

namespace pixkeeper {

// Code lengths of at most `limit` (up to 15) bits for up to 288 symbols used
// `counts` times; unused symbols get none. A lone symbol gets a partner, as
// decoders want complete codes.
void CodeLengths(const std::uint32_t* counts, int symbols, unsigned limit, std::uint8_t* lengths);

// The canonical codes of the lengths (at most 15 bits), bit-reversed since
// deflate sends codes from their first bit while bits are packed from the lowest.
void CanonicalCodes(const std::uint8_t* lengths, int symbols, std::uint16_t* codes);

}  // namespace pixkeeper
