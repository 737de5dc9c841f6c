#pragma once
// A device-dependent bitmap as a packed DIB, for the rare clipboard that
// offers only a bitmap handle and no device-independent form of it.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace pixkeeper::win32 {

// The bitmap's pixels as a bottom-up BI_RGB DIB: 1, 4 or 8 bits with a full
// colour table when the bitmap has that depth, 32 bits for a 32-bit bitmap,
// 24 bits otherwise. The bitmap must not be selected into a device context.
// Raises RuntimeError 481 when the handle is no bitmap or cannot be read.
std::vector<std::uint8_t> DibFromBitmap(HBITMAP bitmap);

}  // namespace pixkeeper::win32
