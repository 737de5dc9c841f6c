#include "image/PngWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "image/Checksums.h"
#include "image/Deflate.h"
#include "image/DibAlpha.h"
#include "image/Png.h"
#include "platform/HelperThread.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;
constexpr std::size_t kBlockBytes = 256 * 1024;  // rows coded together, with codes of their own
constexpr std::size_t kSplitBytes = 1024 * 1024;  // worth a second thread from here on
constexpr std::size_t kChunkBytes = 512 * 1024;   // of coded rows written at once
constexpr std::uint8_t kFilterNone = 0, kFilterSub = 1, kFilterUp = 2;

void PutBig32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Buffers are kept for the next picture, as taking fresh memory for each is
// slow on some systems, unless a very large picture made them this large.
constexpr std::size_t kKeptBytes = 4 << 20;

void Recycle(std::vector<std::uint8_t>& buffer) {
  if (buffer.capacity() > kKeptBytes) std::vector<std::uint8_t>().swap(buffer);
  buffer.clear();
}

// Gathers one chunk's data after room for its length and type, and writes it
// whole with its check sum, then begins the next one of the same type.
class ChunkBuffer {
 public:
  explicit ChunkBuffer(const char* type) { std::memcpy(type_, type, 4), Reset(); }
  std::size_t size() const { return bytes.size() - 8; }
  void Reset() {
    Recycle(bytes);
    bytes.resize(8);
    std::memcpy(bytes.data() + 4, type_, 4);
  }
  void Append(std::initializer_list<std::uint8_t> more) { bytes.insert(bytes.end(), more); }
  void AppendBig32(std::uint32_t value) {
    bytes.resize(bytes.size() + 4);
    PutBig32(bytes.data() + bytes.size() - 4, value);
  }
  // The check sum of the type and data so far.
  std::uint32_t Crc() const { return Crc32(bytes.data() + 4, bytes.size() - 4); }
  // `crc` is that of the first `counted` bytes from the type on, when known.
  void WriteTo(PngSink& sink, std::uint32_t crc = 0, std::size_t counted = 0) {
    if (size() > 0x7FFFFFFF) throw RuntimeError(error::kInvalidPicture);
    PutBig32(bytes.data(), static_cast<std::uint32_t>(size()));
    AppendBig32(Crc32(bytes.data() + 4 + counted, bytes.size() - 4 - counted, crc));
    sink.Write(bytes.data(), bytes.size());
    Reset();
  }

  std::vector<std::uint8_t> bytes;

 private:
  char type_[4];
};

// The bytes of a row in the file, and the distance from a byte to the same
// one of the pixel before (1 for palette indices).
struct RowSize {
  std::size_t bytes, pixel;
};

RowSize RowSizeOf(const PngRows& rows) {
  if (rows.bits <= 8) return {(std::size_t{rows.width} * rows.bits + 7) / 8, 1};
  const std::size_t pixel = rows.alpha ? 4 : 3;
  return {rows.width * pixel, pixel};
}

// The row in the file's byte order: red, green, blue (and alpha).
void FileOrder(const PngRows& rows, const std::uint8_t* from, std::uint8_t* to, std::size_t bytes) {
  if (rows.bits <= 8) {
    std::memcpy(to, from, bytes);
    return;
  }
  const std::size_t in = rows.bits / 8, out = rows.alpha ? 4 : 3;
  for (std::size_t x = 0; x < rows.width; ++x, from += in, to += out) {
    to[0] = from[2], to[1] = from[1], to[2] = from[0];
    if (rows.alpha) to[3] = from[3];
  }
}

// Writes the filter byte and the filtered row to `to`: Sub (each byte less
// the one a pixel before) or Up (less the one above), whichever leaves bytes
// closer to zero, which code smaller.
void FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t pixel,
               std::uint8_t* to) {
  const auto weigh = [](int difference) {
    return static_cast<std::uint32_t>(std::abs(static_cast<std::int8_t>(static_cast<std::uint8_t>(difference))));
  };
  std::uint32_t subCost = 0, upCost = 0;
  for (std::size_t x = 0; x < pixel; ++x) subCost += weigh(row[x]), upCost += weigh(row[x] - above[x]);
  for (std::size_t x = pixel; x < bytes; ++x) {
    subCost += weigh(row[x] - row[x - pixel]);
    upCost += weigh(row[x] - above[x]);
  }
  const bool sub = subCost <= upCost;
  *to++ = sub ? kFilterSub : kFilterUp;
  if (!sub) {
    for (std::size_t x = 0; x < bytes; ++x) to[x] = static_cast<std::uint8_t>(row[x] - above[x]);
    return;
  }
  std::memcpy(to, row, pixel);
  for (std::size_t x = pixel; x < bytes; ++x) to[x] = static_cast<std::uint8_t>(row[x] - row[x - pixel]);
}

// Rows [first, end) of a picture, coded as deflate blocks into an IDAT
// chunk, the last of them ending the stream when `end` is the picture's end.
// With a sink, each chunk is written as soon as it is large enough.
struct RowsPart {
  std::uint32_t first, end;
  PngSink* sink;
  ChunkBuffer& idat;
  std::uint32_t adler = 1;  // of the filtered rows
};

void EncodeRows(const PngRows& rows, RowsPart& part) {
  const auto [bytes, pixel] = RowSizeOf(rows);
  std::vector<std::uint8_t> above(bytes, 0), row(bytes);
  static thread_local std::vector<std::uint8_t> block;
  Recycle(block);
  block.reserve(kBlockBytes + bytes + 1);
  const std::uint8_t* from = rows.top + static_cast<std::ptrdiff_t>(part.first) * rows.step;
  if (part.first > 0) FileOrder(rows, from - rows.step, above.data(), bytes);
  DeflateWriter deflate(part.idat.bytes);
  for (std::uint32_t y = part.first; y < part.end; ++y, from += rows.step) {
    FileOrder(rows, from, row.data(), bytes);
    block.resize(block.size() + 1 + bytes);
    std::uint8_t* to = block.data() + block.size() - 1 - bytes;
    if (rows.bits <= 8) {
      // Filters rarely help palette indices, which are no amounts.
      *to = kFilterNone;
      std::memcpy(to + 1, row.data(), bytes);
    } else {
      FilterRow(row.data(), above.data(), bytes, pixel, to);
    }
    row.swap(above);
    const bool lastRow = y + 1 == part.end;
    if (block.size() >= kBlockBytes || lastRow) {
      part.adler = Adler32(block.data(), block.size(), part.adler);
      deflate.Block(block.data(), block.size(), lastRow && part.end == rows.height);
      block.clear();
      if (part.sink != nullptr && part.idat.size() >= kChunkBytes) part.idat.WriteTo(*part.sink);
    }
  }
  if (part.end < rows.height) deflate.Align();
}

}  // namespace

bool PngRowsOf(const Picture& picture, PngRows& rows) {
  const DibLayout& l = picture.layout();
  const std::uint8_t* dib = picture.data();
  const std::uint8_t plainMasks[12] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
  const bool palette = l.compression == kBiRgb && l.bitCount <= 8;
  const bool plain32 = l.bitCount == 32 && (l.compression == kBiRgb ||
                                            (l.compression == kBiBitfields && std::memcmp(dib + 40, plainMasks, 12) == 0));
  if (picture.empty() || !(palette || plain32 || (l.compression == kBiRgb && l.bitCount == 24))) return false;
  rows.width = static_cast<std::uint32_t>(l.width);
  rows.height = static_cast<std::uint32_t>(std::abs(static_cast<long long>(l.height)));
  rows.bits = l.bitCount;
  rows.alpha = plain32 && l.alphaMask == 0xFF000000u && HasTransparency(l, dib);
  const std::size_t stride = (std::size_t{rows.width} * l.bitCount + 31) / 32 * 4;
  rows.top = dib + l.pixelOffset + (l.topDown() ? 0 : (rows.height - 1) * stride);
  rows.step = l.topDown() ? static_cast<std::ptrdiff_t>(stride) : -static_cast<std::ptrdiff_t>(stride);
  rows.palette.clear();
  if (palette) {
    // Every index the pixels can hold has a colour, as PNG readers ask.
    const std::size_t entry = l.headerSize == 12 ? 3 : 4;
    const std::uint8_t* table = dib + l.headerSize;
    for (std::size_t i = 0; i < (std::size_t{1} << l.bitCount); ++i, table += entry) {
      const bool listed = i < l.colorCount;
      rows.palette.insert(rows.palette.end(), {listed ? table[2] : std::uint8_t{0}, listed ? table[1] : std::uint8_t{0},
                                               listed ? table[0] : std::uint8_t{0}});
    }
  }
  return true;
}

void EncodePng(const PngRows& rows, PngSink& sink) {
  const bool indexed = rows.bits <= 8;
  const std::size_t bytes = RowSizeOf(rows).bytes;
  // Rows of up to 2 GB, so that every block's positions fit in 32 bits.
  if (rows.width == 0 || rows.height == 0 || rows.width > 0x7FFFFFFF || rows.height > 0x7FFFFFFF ||
      bytes > 0x7FFFFFFF) {
    throw RuntimeError(error::kInvalidPicture);
  }
  sink.Write(kPngSignature, sizeof kPngSignature);
  ChunkBuffer header("IHDR");
  header.AppendBig32(rows.width);
  header.AppendBig32(rows.height);
  header.Append({static_cast<std::uint8_t>(indexed ? rows.bits : 8),
                 static_cast<std::uint8_t>(indexed ? 3 : rows.alpha ? 6 : 2), 0, 0, 0});
  header.WriteTo(sink);
  if (indexed) {
    ChunkBuffer palette("PLTE");
    palette.bytes.insert(palette.bytes.end(), rows.palette.begin(), rows.palette.end());
    palette.WriteTo(sink);
  }

  const std::uint64_t filtered = std::uint64_t{bytes + 1} * rows.height;
  static thread_local ChunkBuffer upperIdat("IDAT"), lowerIdat("IDAT");
  upperIdat.Reset(), lowerIdat.Reset();
  RowsPart upper{0, rows.height, &sink, upperIdat}, lower{rows.height, rows.height, nullptr, lowerIdat};
  upper.idat.Append({0x78, 0x01});  // zlib: deflate in a 32 KB window, fastest coding
  if (filtered < kSplitBytes) {
    EncodeRows(rows, upper);
    upper.idat.AppendBig32(upper.adler);
    upper.idat.WriteTo(sink);
  } else {
    // A large picture is coded in two halves at once, the lower half's
    // blocks going on with the stream of the upper's, held until the upper
    // half is written.
    upper.end = lower.first = rows.height / 2;
    std::uint32_t lowerCrc = 0;
    const auto codeLower = [&] {
      EncodeRows(rows, lower);
      lowerCrc = lower.idat.Crc();
    };
    HelperThread& helper = HelperThread::Shared();
    const bool helped = helper.Start(codeLower);
    try {
      EncodeRows(rows, upper);
      upper.idat.WriteTo(sink);
    } catch (...) {
      if (helped) {
        try {
          helper.Wait();  // the lower half's own failure, if any, is not the first
        } catch (...) {
        }
      }
      throw;
    }
    helped ? helper.Wait() : codeLower();
    const std::size_t counted = lower.idat.bytes.size() - 4;
    lower.idat.AppendBig32(Adler32Join(upper.adler, lower.adler, filtered - std::uint64_t{bytes + 1} * lower.first));
    lower.idat.WriteTo(sink, lowerCrc, counted);
  }
  ChunkBuffer("IEND").WriteTo(sink);
}

std::vector<std::uint8_t> EncodePng(const PngRows& rows) {
  struct VectorSink final : PngSink {
    std::vector<std::uint8_t> bytes;
    void Write(const std::uint8_t* data, std::size_t size) override { bytes.insert(bytes.end(), data, data + size); }
  } sink;
  EncodePng(rows, sink);
  return std::move(sink.bytes);
}

}  // namespace pixkeeper
