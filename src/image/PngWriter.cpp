#include "image/PngWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "base/HelperThread.h"
#include "base/RuntimeError.h"
#include "image/Checksums.h"
#include "image/Deflate.h"
#include "image/DibAlpha.h"
#include "image/Png.h"
#include "image/PngChunk.h"
#include "image/PngFilters.h"
#include "image/PngForm.h"
#include "image/StripeOrder.h"

namespace pixkeeper {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;
constexpr std::size_t kChunkBytes = 64 * 1024;  // of coded rows, written at once where they may be

// The memory a thread codes its stripes with, taken before the threads
// start: under some systems' shared heap, two threads taking memory at once
// make one of them sleep, and a thread woken again may be put to wait behind
// the other one on its processor.
struct RowsScratch {
  explicit RowsScratch(std::size_t rowBytes) : row(rowBytes), above(rowBytes), filtered(rowBytes + 1) {
    window.reserve(32768 + 2 * (rowBytes + 1));
  }
  std::vector<std::uint8_t> row, above, filtered;
  std::vector<std::uint8_t> window;  // the rows above a stripe, for its matches
};

// Rows in the file's form, filtered, one after the other from `y` on.
class FilteredRows {
 public:
  FilteredRows(const PngRows& rows, const PngForm& form, std::uint32_t y, RowsScratch& scratch)
      : rows_(rows), form_(form), from_(rows.top + static_cast<std::ptrdiff_t>(y) * rows.step), s_(scratch) {
    if (y > 0) {
      FormRow(rows_, form_, from_ - rows_.step, s_.above.data());
    } else {
      std::fill(s_.above.begin(), s_.above.end(), std::uint8_t{0});
    }
  }
  // The next row with its filter byte: rowBytes + 1 bytes.
  const std::uint8_t* Next() {
    FormRow(rows_, form_, from_, s_.row.data());
    from_ += rows_.step;
    if (form_.filterDistance == 0) {
      UnfilteredRow(s_.row.data(), s_.row.size(), s_.filtered.data());
    } else {
      FilterRow(s_.row.data(), s_.above.data(), s_.row.size(), form_.filterDistance, s_.filtered.data());
    }
    s_.row.swap(s_.above);
    return s_.filtered.data();
  }

 private:
  const PngRows& rows_;
  const PngForm& form_;
  const std::uint8_t* from_;
  RowsScratch& s_;
};

void EncodeRows(const PngRows& rows, const PngForm& form, RowsPart& part, RowsScratch& scratch) {
  const std::size_t bytes = form.rowBytes + 1;
  DeflateWriter deflate(part.idat.bytes);
  if (part.first > 0) {
    // The stream goes on from the rows above, coded by another writer:
    // matches may reach back into the last 32 KB of them, as the decoder has them.
    const std::uint32_t back = static_cast<std::uint32_t>(std::min<std::size_t>(part.first, 32768 / bytes + 1));
    FilteredRows before(rows, form, part.first - back, scratch);
    std::vector<std::uint8_t>& window = scratch.window;
    window.clear();
    for (std::uint32_t k = 0; k < back; ++k) {
      const std::uint8_t* row = before.Next();
      window.insert(window.end(), row, row + bytes);
    }
    deflate.Preset(window.data(), window.size());
  }
  FilteredRows filtered(rows, form, part.first, scratch);
  std::size_t flushAt = kChunkBytes;
  for (std::uint32_t y = part.first; y < part.end; ++y) {
    const std::uint8_t* row = filtered.Next();
    part.adler = Adler32(row, bytes, part.adler);
    deflate.Write(row, bytes);
    if (part.idat.size() >= flushAt) {
      part.full();
      flushAt = part.idat.size() + kChunkBytes;
    }
  }
  deflate.Finish(part.end == rows.height);
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
  const std::uint64_t widest = rows.bits <= 8 ? (std::uint64_t{rows.width} * rows.bits + 7) / 8
                                               : std::uint64_t{rows.width} * (rows.alpha ? 4 : 3);
  // Rows of up to 2 GB, so that every block's positions fit in 32 bits.
  if (rows.width == 0 || rows.height == 0 || rows.width > 0x7FFFFFFF || rows.height > 0x7FFFFFFF ||
      widest > 0x7FFFFFFF) {
    throw RuntimeError(error::kInvalidPicture);
  }
  const PngForm form = ChoosePngForm(rows);
  const std::size_t bytes = form.rowBytes;
  sink.Write(kPngSignature, sizeof kPngSignature);
  ChunkBuffer header("IHDR");
  header.AppendBig32(rows.width);
  header.AppendBig32(rows.height);
  header.Append({static_cast<std::uint8_t>(form.depth), static_cast<std::uint8_t>(form.colour), 0, 0, 0});
  header.WriteTo(sink);
  if (form.colour == PngColour::kPalette) {
    ChunkBuffer palette("PLTE");
    palette.bytes.insert(palette.bytes.end(), form.palette.begin(), form.palette.end());
    palette.WriteTo(sink);
  }
  if (!form.alphas.empty()) {
    ChunkBuffer alphas("tRNS");
    alphas.bytes.insert(alphas.bytes.end(), form.alphas.begin(), form.alphas.end());
    alphas.WriteTo(sink);
  }

  // Stripes of about kStripeBytes of filtered rows, coded two at a time (StripeOrder.h).
  constexpr std::uint64_t kStripeBytes = StripeOrder::kStripeBytes;
  const std::uint64_t filtered = std::uint64_t{bytes + 1} * rows.height;
  const std::uint32_t count = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(rows.height, std::max<std::uint64_t>(1, (filtered + kStripeBytes / 2) / kStripeBytes)));
  std::vector<std::unique_ptr<Stripe>> stripes;
  for (std::uint32_t k = 0; k < count; ++k) {
    stripes.push_back(std::make_unique<Stripe>(static_cast<std::uint32_t>(std::uint64_t{rows.height} * k / count),
                                               static_cast<std::uint32_t>(std::uint64_t{rows.height} * (k + 1) / count)));
  }
  StripeOrder order(stripes, sink, bytes + 1);
  for (std::uint32_t k = 0; k < count; ++k) {
    // Only the stripe's own thread writes while the stripe is next in the file.
    stripes[k]->part.full = [&, k] {
      if (order.InFile(k)) stripes[k]->idat.WriteTo(sink);
    };
  }
  RowsScratch scratch(bytes);
  std::optional<RowsScratch> helperScratch;  // only where there are stripes for two
  if (count > 1) helperScratch.emplace(bytes);
  const auto work = [&](RowsScratch& mine) {
    try {
      while (Stripe* stripe = order.Claim()) {
        stripe->idat.Reset();
        if (stripe == stripes[0].get()) stripe->idat.Append({0x78, 0x9C});  // zlib: a 32 KB window, the usual effort
        EncodeRows(rows, form, stripe->part, mine);
        stripe->crc = stripe->idat.Crc();
        order.Finish(*stripe);
      }
    } catch (...) {
      order.Fail();
      throw;
    }
  };
  HelperThread& helper = HelperThread::Shared();
  const bool helped = helperScratch && helper.Start([&] { work(*helperScratch); });
  try {
    work(scratch);
  } catch (...) {
    if (helped) {
      try {
        helper.Wait();  // the helper's own failure, if any, is not the first
      } catch (...) {
      }
    }
    throw;
  }
  if (helped) helper.Wait();
  ChunkBuffer("IEND").WriteTo(sink);
}

void PreparePngEncoder() {
  DeflateWriter::KeepMemory();
  HelperThread& helper = HelperThread::Shared();
  if (helper.Start([] { DeflateWriter::KeepMemory(); })) helper.Wait();
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
