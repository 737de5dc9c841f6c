#pragma once
// The paused icon: the program's icon with a pause mark in its lower right
// quarter, drawn into the icon's own pixels at whatever size the system
// asked for, so that it stays as sharp as the icon.

#include <cstdint>
#include <vector>

namespace pixkeeper {

// `pixels` holds size x size pixels as 0xAARRGGBB, top row first. Icons
// without an alpha channel take it from their mask (`mask` of the same size,
// black where the icon is opaque).
void AlphaFromMask(std::vector<std::uint32_t>& pixels, const std::vector<std::uint32_t>& mask);

// Two dark bars on an opaque white square covering the lower right quarter.
void DrawPauseMark(std::vector<std::uint32_t>& pixels, int size);

}  // namespace pixkeeper
