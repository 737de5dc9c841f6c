#include "platform/PngWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include "platform/Checksums.h"
#include "platform/Deflate.h"
#include "platform/DibAlpha.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;
constexpr std::size_t kBlockBytes = 256 * 1024;  // rows coded together, with codes of their own
constexpr std::size_t kSplitBytes = 1024 * 1024;  // worth a second thread from here on
constexpr std::uint8_t kFilterNone = 0, kFilterSub = 1, kFilterUp = 2;

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk's length and type; its data follows, then EndChunk.
std::size_t BeginChunk(std::vector<std::uint8_t>& out, const char* type) {
  PutBig32(out, 0);
  out.insert(out.end(), type, type + 4);
  return out.size() - 4;
}

// `crc` is that of the first `counted` bytes from the type on, if any.
void EndChunk(std::vector<std::uint8_t>& out, std::size_t typeAt, std::uint32_t crc = 0, std::size_t counted = 0) {
  const std::size_t length = out.size() - typeAt - 4;
  if (length > 0x7FFFFFFF) throw RuntimeError(error::kInvalidPicture);
  for (int i = 0; i < 4; ++i) out[typeAt - 4 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
  PutBig32(out, Crc32(out.data() + typeAt + counted, length + 4 - counted, crc));
}

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

// Rows [first, end) of a picture, coded as deflate blocks into `out`, the
// last of them ending the stream when `end` is the picture's end.
struct RowsPart {
  std::uint32_t first, end;
  std::vector<std::uint8_t>* out;
  std::uint32_t adler = 1;  // of the filtered rows
};

void EncodeRows(const PngRows& rows, RowsPart& part) {
  const auto [bytes, pixel] = RowSizeOf(rows);
  std::vector<std::uint8_t> above(bytes, 0), row(bytes), block;
  block.reserve(kBlockBytes + bytes + 1);
  const std::uint8_t* from = rows.top + static_cast<std::ptrdiff_t>(part.first) * rows.step;
  if (part.first > 0) FileOrder(rows, from - rows.step, above.data(), bytes);
  DeflateWriter deflate(*part.out);
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
    }
  }
  if (part.end < rows.height) deflate.Align();
}

class JoinOnExit {
 public:
  explicit JoinOnExit(std::thread& thread) : thread_(thread) {}
  ~JoinOnExit() {
    if (thread_.joinable()) thread_.join();
  }
  JoinOnExit(const JoinOnExit&) = delete;
  JoinOnExit& operator=(const JoinOnExit&) = delete;

 private:
  std::thread& thread_;
};

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

std::vector<std::uint8_t> EncodePng(const PngRows& rows) {
  const bool indexed = rows.bits <= 8;
  const std::size_t bytes = RowSizeOf(rows).bytes;
  if (rows.width == 0 || rows.height == 0 || rows.width > 0x7FFFFFFF || rows.height > 0x7FFFFFFF) {
    throw RuntimeError(error::kInvalidPicture);
  }

  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  // Room for the worst case, pixels that do not shrink at all, so that the
  // bytes are never moved; pages that stay unused cost nothing.
  const std::uint64_t filtered = std::uint64_t{bytes + 1} * rows.height;
  out.reserve(static_cast<std::size_t>(filtered + filtered / 8192 + rows.palette.size() + 1024));
  std::size_t chunk = BeginChunk(out, "IHDR");
  PutBig32(out, rows.width);
  PutBig32(out, rows.height);
  out.insert(out.end(), {static_cast<std::uint8_t>(indexed ? rows.bits : 8),
                         static_cast<std::uint8_t>(indexed ? 3 : rows.alpha ? 6 : 2), 0, 0, 0});
  EndChunk(out, chunk);
  if (indexed) {
    chunk = BeginChunk(out, "PLTE");
    out.insert(out.end(), rows.palette.begin(), rows.palette.end());
    EndChunk(out, chunk);
  }

  chunk = BeginChunk(out, "IDAT");
  out.insert(out.end(), {0x78, 0x01});  // zlib: deflate in a 32 KB window, fastest coding
  RowsPart upper{0, rows.height, &out}, lower{rows.height, rows.height, nullptr};
  if (filtered < kSplitBytes) {
    EncodeRows(rows, upper);
    PutBig32(out, upper.adler);
    EndChunk(out, chunk);
  } else {
    // A large picture is coded in two halves at once, each a chunk of its
    // own, the lower half's blocks going on with the stream of the upper's.
    upper.end = lower.first = rows.height / 2;
    std::vector<std::uint8_t> lowerBytes;
    lowerBytes.reserve(out.capacity() / 2 + bytes);
    lower.out = &lowerBytes;
    std::uint32_t lowerCrc = 0;
    std::exception_ptr lowerFailure;
    const auto codeLower = [&] {
      try {
        BeginChunk(lowerBytes, "IDAT");
        EncodeRows(rows, lower);
        lowerCrc = Crc32(lowerBytes.data() + 4, lowerBytes.size() - 4);
      } catch (...) {
        lowerFailure = std::current_exception();
      }
    };
    std::thread helper;
    try {
      helper = std::thread(codeLower);
    } catch (const std::system_error&) {
      // No thread to be had: this one codes both halves.
    }
    {
      JoinOnExit join(helper);
      EncodeRows(rows, upper);
      EndChunk(out, chunk);
    }
    if (lower.out->empty()) codeLower();
    if (lowerFailure) std::rethrow_exception(lowerFailure);
    const std::size_t lowerType = out.size() + 4;
    out.insert(out.end(), lowerBytes.begin(), lowerBytes.end());
    PutBig32(out, Adler32Join(upper.adler, lower.adler, filtered - std::uint64_t{bytes + 1} * lower.first));
    EndChunk(out, lowerType, lowerCrc, lowerBytes.size() - 4);
  }
  EndChunk(out, BeginChunk(out, "IEND"));
  return out;
}

}  // namespace pixkeeper
