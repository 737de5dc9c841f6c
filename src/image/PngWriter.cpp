#include "image/PngWriter.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <utility>

#include "image/Checksums.h"
#include "image/Deflate.h"
#include "image/DibAlpha.h"
#include "image/Png.h"
#include "image/PngFilters.h"
#include "image/PngForm.h"
#include "platform/HelperThread.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;
constexpr std::uint64_t kStripeBytes = 512 * 1024;  // of filtered rows, a stripe coded by one thread
constexpr std::uint32_t kAhead = 1;                   // stripes begun past the one being written
constexpr std::size_t kChunkBytes = 64 * 1024;        // of coded rows, written at once where they may be

void PutBig32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// A chunk's buffer is kept for the next chunk, as taking fresh memory for
// each is slow on some systems, unless a very large chunk made it this large.
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

// Rows [first, end) of a picture, coded as deflate blocks into IDAT chunks,
// the last of them ending the stream when `end` is the picture's end. Each
// time the coded bytes grow by a chunk's worth, `full` may write them.
struct RowsPart {
  std::uint32_t first, end;
  ChunkBuffer& idat;
  std::function<void()> full;
  std::uint32_t adler = 1;  // of the filtered rows
};

// A stripe of rows, its chunks written as they are coded once the stripes
// above it are in the file, and held until then.
struct Stripe {
  Stripe(std::uint32_t first, std::uint32_t end) : part{first, end, idat, nullptr} {}
  ChunkBuffer idat{"IDAT"};
  RowsPart part;
  std::uint32_t crc = 0;  // of its last chunk, as coded
  bool done = false;
};

// Rows in the file's form, filtered, one after the other from `y` on.
class FilteredRows {
 public:
  FilteredRows(const PngRows& rows, const PngForm& form, std::uint32_t y)
      : rows_(rows), form_(form), from_(rows.top + static_cast<std::ptrdiff_t>(y) * rows.step),
        row_(form.rowBytes), above_(form.rowBytes, 0), filtered_(form.rowBytes + 1) {
    if (y > 0) FormRow(rows_, form_, from_ - rows_.step, above_.data());
  }
  // The next row with its filter byte: rowBytes + 1 bytes.
  const std::uint8_t* Next() {
    FormRow(rows_, form_, from_, row_.data());
    from_ += rows_.step;
    if (form_.filterDistance == 0) {
      UnfilteredRow(row_.data(), row_.size(), filtered_.data());
    } else {
      FilterRow(row_.data(), above_.data(), row_.size(), form_.filterDistance, filtered_.data());
    }
    row_.swap(above_);
    return filtered_.data();
  }

 private:
  const PngRows& rows_;
  const PngForm& form_;
  const std::uint8_t* from_;
  std::vector<std::uint8_t> row_, above_, filtered_;
};

void EncodeRows(const PngRows& rows, const PngForm& form, RowsPart& part) {
  const std::size_t bytes = form.rowBytes + 1;
  DeflateWriter deflate(part.idat.bytes);
  if (part.first > 0) {
    // The stream goes on from the rows above, coded by another writer:
    // matches may reach back into the last 32 KB of them, as the decoder has them.
    const std::uint32_t back = static_cast<std::uint32_t>(std::min<std::size_t>(part.first, 32768 / bytes + 1));
    FilteredRows before(rows, form, part.first - back);
    std::vector<std::uint8_t> window;
    for (std::uint32_t k = 0; k < back; ++k) {
      const std::uint8_t* row = before.Next();
      window.insert(window.end(), row, row + bytes);
    }
    deflate.Preset(window.data(), window.size());
  }
  FilteredRows filtered(rows, form, part.first);
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

  // A large picture is coded in stripes of rows, two at a time, each thread
  // taking the next stripe. Each stripe's blocks go on with the stream of the
  // one above. The stripe next in the file writes its chunks as it codes
  // them; the one begun ahead of it holds its own until the stripe above is
  // in the file, and goes on as the next one from then. No stripe is begun
  // further ahead, so that at any size of picture the coded rows held in
  // memory stay within a stripe's worth.
  const std::uint64_t filtered = std::uint64_t{bytes + 1} * rows.height;
  const std::uint32_t count = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(rows.height, std::max<std::uint64_t>(1, (filtered + kStripeBytes / 2) / kStripeBytes)));
  std::mutex mutex;
  std::condition_variable changed;
  std::uint32_t next = 0, written = 0;
  bool failed = false;
  std::vector<std::unique_ptr<Stripe>> stripes;
  for (std::uint32_t k = 0; k < count; ++k) {
    stripes.push_back(std::make_unique<Stripe>(static_cast<std::uint32_t>(std::uint64_t{rows.height} * k / count),
                                               static_cast<std::uint32_t>(std::uint64_t{rows.height} * (k + 1) / count)));
    // Under the lock: a chunk may go once every stripe above is in the file.
    stripes[k]->part.full = [&, k] {
      std::lock_guard<std::mutex> lock(mutex);
      if (written == k) stripes[k]->idat.WriteTo(sink);
    };
  }
  std::vector<std::vector<std::uint8_t>> spare;  // chunk buffers of stripes written, for stripes to come
  // Under the lock: the finished stripes next in the file, each with the
  // check sum of its chunk, and the stream's check sum after the last one.
  const auto writeDone = [&] {
    for (; written < count && stripes[written]->done; ++written) {
      Stripe& stripe = *stripes[written];
      const std::size_t counted = stripe.idat.bytes.size() - 4;
      if (written + 1 == count) {
        std::uint32_t adler = stripes[0]->part.adler;
        for (std::uint32_t k = 1; k < count; ++k) {
          const Stripe& s = *stripes[k];
          adler = Adler32Join(adler, s.part.adler, std::uint64_t{bytes + 1} * (s.part.end - s.part.first));
        }
        stripe.idat.AppendBig32(adler);
      }
      stripe.idat.WriteTo(sink, stripe.crc, counted);
      spare.push_back(std::move(stripe.idat.bytes));
    }
  };
  const auto work = [&] {
    try {
      for (;;) {
        Stripe* stripe = nullptr;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] { return failed || next >= count || next <= written + kAhead; });
          if (failed || next >= count) return;
          stripe = stripes[next++].get();
          if (!spare.empty()) stripe->idat.bytes.swap(spare.back()), spare.pop_back();
        }
        // Room for the stripe stored as it is, taken once: growing by steps
        // would leave each step's memory behind.
        stripe->idat.bytes.reserve(kStripeBytes + kStripeBytes / 1024 + 4096);
        stripe->idat.Reset();
        if (stripe == stripes[0].get()) stripe->idat.Append({0x78, 0x9C});  // zlib: a 32 KB window, the usual effort
        EncodeRows(rows, form, stripe->part);
        stripe->crc = stripe->idat.Crc();
        std::lock_guard<std::mutex> lock(mutex);
        stripe->done = true;
        writeDone();
        changed.notify_all();
      }
    } catch (...) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        failed = true;
      }
      changed.notify_all();
      throw;
    }
  };
  HelperThread& helper = HelperThread::Shared();
  const bool helped = count > 1 && helper.Start(work);
  try {
    work();
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
