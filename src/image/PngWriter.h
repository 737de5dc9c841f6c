#pragma once
// PNG files made by the program itself: lossless at the picture's own depth,
// and quick, since a picture is saved while its owner may be waiting for the
// clipboard.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Picture.h"

namespace pixkeeper {

// A picture's rows as the encoder reads them.
struct PngRows {
  std::uint32_t width = 0, height = 0;
  // 1, 4 or 8: palette indices, packed from the highest bit as in a DIB.
  // 24 or 32: blue, green, red, then alpha (with `alpha`) or an unused byte.
  unsigned bits = 24;
  bool alpha = false;
  const std::uint8_t* top = nullptr;  // the top row
  std::ptrdiff_t step = 0;            // from one row to the row below it
  std::vector<std::uint8_t> palette;  // red, green, blue of every index the bits can hold
};

// The rows of the picture where the encoder can take them as they are: a
// palette, 24 bits, or 32 bits with plain masks (alpha kept where the picture
// has transparency). False for 16 bits, run-length coding and unusual masks,
// which must be drawn into 24 bits first.
bool PngRowsOf(const Picture& picture, PngRows& rows);

// Where the encoder puts the file's bytes, in order.
class PngSink {
 public:
  virtual ~PngSink() = default;
  virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
};

// The PNG file of the rows: colour type 3 with a palette, 2 (24 bits) or 6
// (32 bits with alpha). Written as it is coded, so that no copy of the whole
// file is held. Raises RuntimeError 481 when the picture is too large for one;
// lets the sink's exceptions through.
void EncodePng(const PngRows& rows, PngSink& sink);

// The same file in memory.
std::vector<std::uint8_t> EncodePng(const PngRows& rows);

// Starts the helper thread and takes, on it and on the calling thread, the
// memory that coding keeps from one picture to the next: for the thread that
// will encode, once PNG files are chosen, so that the first picture does not
// wait for either.
void PreparePngEncoder();

}  // namespace pixkeeper
