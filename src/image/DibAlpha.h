#pragma once
// What the fourth byte of a 32-bit picture's pixels says.

#include <cstdint>
#include <vector>

#include "image/Dib.h"

namespace pixkeeper {

// True for a 32-bit picture with an alpha mask whose pixels are partly
// transparent. A channel that is 0 everywhere is not transparency: programs
// that never fill it leave it so, and the picture would vanish.
bool HasTransparency(const DibLayout& layout, const std::uint8_t* dib);

// The same picture in 24 bits when it is a plain 32-bit DIB whose fourth
// bytes are all 0, so that they carry nothing; else empty.
std::vector<std::uint8_t> Dib24OfPadded32(const DibLayout& layout, const std::uint8_t* dib);

}  // namespace pixkeeper
