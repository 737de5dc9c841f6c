#include "image/PngChunk.h"

#include <cstring>

#include "base/RuntimeError.h"
#include "image/Checksums.h"

namespace pixkeeper {
namespace {

constexpr std::size_t kKeptBytes = 4 << 20;  // the largest buffer kept for the next chunk

void PutBig32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

}  // namespace

ChunkBuffer::ChunkBuffer(const char* type) {
  std::memcpy(type_, type, 4);
  Reset();
}

void ChunkBuffer::Reset() {
  if (bytes.capacity() > kKeptBytes) std::vector<std::uint8_t>().swap(bytes);
  bytes.clear();
  bytes.resize(8);
  std::memcpy(bytes.data() + 4, type_, 4);
}

void ChunkBuffer::AppendBig32(std::uint32_t value) {
  bytes.resize(bytes.size() + 4);
  PutBig32(bytes.data() + bytes.size() - 4, value);
}

std::uint32_t ChunkBuffer::Crc() const { return Crc32(bytes.data() + 4, bytes.size() - 4); }

void ChunkBuffer::WriteTo(PngSink& sink, std::uint32_t crc, std::size_t counted) {
  if (size() > 0x7FFFFFFF) throw RuntimeError(error::kInvalidPicture);
  PutBig32(bytes.data(), static_cast<std::uint32_t>(size()));
  AppendBig32(Crc32(bytes.data() + 4 + counted, bytes.size() - 4 - counted, crc));
  sink.Write(bytes.data(), bytes.size());
  Reset();
}

}  // namespace pixkeeper
