#pragma once
// A PNG chunk as it is gathered and written: length, type, data, check sum.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "image/PngWriter.h"

namespace pixkeeper {

// Gathers one chunk's data after room for its length and type, and writes it
// whole with its check sum, then begins the next one of the same type. Its
// buffer is kept for the next chunk, as taking fresh memory for each is slow
// on some systems, unless a very large chunk made it large.
class ChunkBuffer {
 public:
  explicit ChunkBuffer(const char* type);
  std::size_t size() const { return bytes.size() - 8; }
  void Reset();
  void Append(std::initializer_list<std::uint8_t> more) { bytes.insert(bytes.end(), more); }
  void AppendBig32(std::uint32_t value);
  // The check sum of the type and data so far.
  std::uint32_t Crc() const;
  // `crc` is that of the first `counted` bytes from the type on, when known.
  // Raises RuntimeError 481 for a chunk too large for a PNG file.
  void WriteTo(PngSink& sink, std::uint32_t crc = 0, std::size_t counted = 0);

  std::vector<std::uint8_t> bytes;

 private:
  char type_[4];
};

}  // namespace pixkeeper
