#pragma once
// PNG bytes from outside made a picture by the system's imaging component.

#include <cstddef>
#include <cstdint>

#include "image/Picture.h"

namespace pixkeeper::win32 {

// Raises RuntimeError 481 when the bytes are no PNG the program takes, or do
// not decode; 7 when memory runs out.
Picture DecodePng(const std::uint8_t* data, std::size_t size);

}  // namespace pixkeeper::win32
