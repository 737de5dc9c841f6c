#include "image/PngWriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <thread>
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
  // Its chunk buffer comes from StripeOrder when it is begun.
  Stripe(std::uint32_t first, std::uint32_t end) : part{first, end, idat, nullptr} {
    std::vector<std::uint8_t>().swap(idat.bytes);
  }
  ChunkBuffer idat{"IDAT"};
  RowsPart part;
  std::uint32_t crc = 0;  // of its last chunk, as coded
  bool done = false;
};

// Hands the stripes of a picture to the threads that code them, none more
// than kAhead past the one next in the file, and writes the finished ones in
// order with the stream's check sum after the last. A thread that must wait
// for the other spins for a while before it sleeps: the wait is a part of a
// stripe's coding, and on some systems a thread woken while the other
// processor idles is queued behind the thread that woke it, which turns that
// fraction of a millisecond into several.
class StripeOrder {
 public:
  StripeOrder(std::vector<std::unique_ptr<Stripe>>& stripes, PngSink& sink, std::size_t rowBytes)
      : stripes_(stripes), sink_(sink), rowBytes_(rowBytes), count_(static_cast<std::uint32_t>(stripes.size())) {
    // A buffer for each stripe that can be begun and not yet written, with
    // room for the stripe stored as it is, taken once: growing by steps
    // would leave each step's memory behind.
    spare_.resize(std::min<std::uint32_t>(count_, kAhead + 1));
    for (auto& buffer : spare_) buffer.reserve(kStripeBytes + kStripeBytes / 1024 + 4096);
    spare_.reserve(count_);
  }

  // The next stripe to code, with the buffer of one written already; null
  // when every stripe is taken or a thread failed.
  Stripe* Claim() {
    const auto ready = [this] {
      const std::uint32_t next = next_.load();
      return failed_.load() || next >= count_ || next <= written_.load() + kAhead;
    };
    for (const auto until = std::chrono::steady_clock::now() + kSpin; !ready();) {
      if (std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
        continue;
      }
      // A long wait (a slow disk, a busy system) sleeps until Finish or Fail wakes it.
      std::unique_lock<std::mutex> lock(parking_);
      ++sleepers_;
      parked_.wait(lock, ready);
      --sleepers_;
    }
    std::lock_guard<SpinLock> lock(lock_);
    if (failed_ || next_ >= count_) return nullptr;
    Stripe* stripe = stripes_[next_++].get();
    stripe->idat.bytes.swap(spare_.back());
    spare_.pop_back();
    return stripe;
  }

  // Whether stripe `k` is next in the file, so that its thread may write its
  // chunks as it codes them.
  bool InFile(std::uint32_t k) const { return written_.load(std::memory_order_acquire) == k; }

  // The stripe is coded. The thread that finds the stripes above it in the
  // file writes it, and those after it that are coded by then; it writes with
  // the lock let go, so that the other thread need not wait for the file.
  void Finish(Stripe& stripe) {
    std::unique_lock<SpinLock> lock(lock_);
    stripe.done = true;
    if (writing_) return;  // the thread writing takes this one too
    writing_ = true;
    for (std::uint32_t k = written_; k < count_ && stripes_[k]->done; k = written_) {
      lock.unlock();
      Write(*stripes_[k], k + 1 == count_);
      lock.lock();
      spare_.push_back(std::move(stripes_[k]->idat.bytes));
      written_ = k + 1;
      WakeSleepers();
    }
    writing_ = false;
  }

  // Stops every thread at its next stripe.
  void Fail() {
    failed_ = true;
    WakeSleepers();
  }

 private:
  static constexpr std::chrono::milliseconds kSpin{2};  // about a stripe's coding

  // A lock for a few instructions, which never sleeps: a sleeping thread is
  // what the spinning above avoids.
  class SpinLock {
   public:
    void lock() {
      while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() { flag_.clear(std::memory_order_release); }

   private:
    std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
  };

  void WakeSleepers() {
    // Whoever counted itself in before the change is waiting, or sees it.
    if (sleepers_.load() == 0) return;
    { std::lock_guard<std::mutex> lock(parking_); }
    parked_.notify_all();
  }

  // The stripe's last chunk, with the check sum of the whole stream after the last stripe's.
  void Write(Stripe& stripe, bool last) {
    const std::size_t counted = stripe.idat.bytes.size() - 4;
    if (last) {
      std::uint32_t adler = stripes_[0]->part.adler;
      for (std::uint32_t k = 1; k < count_; ++k) {
        const Stripe& s = *stripes_[k];
        adler = Adler32Join(adler, s.part.adler, std::uint64_t{rowBytes_} * (s.part.end - s.part.first));
      }
      stripe.idat.AppendBig32(adler);
    }
    stripe.idat.WriteTo(sink_, stripe.crc, counted);
  }

  std::vector<std::unique_ptr<Stripe>>& stripes_;
  PngSink& sink_;
  const std::size_t rowBytes_;  // of a filtered row
  const std::uint32_t count_;
  SpinLock lock_;  // over next_ as it is taken, the stripes' done marks, writing_ and spare_
  std::mutex parking_;                // over sleepers_ as they wait
  std::condition_variable parked_;    // written_ moved on, or a thread failed
  std::atomic<unsigned> sleepers_{0};
  std::atomic<std::uint32_t> next_{0};     // the next stripe to code
  std::atomic<std::uint32_t> written_{0};  // the stripes in the file
  std::atomic<bool> failed_{false};
  bool writing_ = false;                            // a thread is writing finished stripes
  std::vector<std::vector<std::uint8_t>> spare_;  // chunk buffers of stripes written, for stripes to come
};

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
  RowsScratch scratch[2] = {RowsScratch(bytes), RowsScratch(bytes)};
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
  const bool helped = count > 1 && helper.Start([&] { work(scratch[1]); });
  try {
    work(scratch[0]);
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
