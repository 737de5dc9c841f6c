#pragma once
// Every kind of DIB encoded as PNG: what the program's encoder takes as it is
// stored, the rest drawn into 24 bits by the system first.

#include "image/Picture.h"
#include "image/PngWriter.h"

namespace pixkeeper::win32 {

// Writes the PNG file of the picture to the sink, lossless at the picture's own depth: palette
// pictures keep their palette, 24 bits stay 24, 32 bits keep a used alpha
// channel and are 24 bits otherwise. Raises RuntimeError 481 when the picture
// cannot be encoded, std::bad_alloc when memory runs out.
void EncodePng(const Picture& picture, PngSink& sink);

}  // namespace pixkeeper::win32
