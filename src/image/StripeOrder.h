#pragma once
// A large picture is coded in stripes of rows, two at a time, each thread
// taking the next stripe. Each stripe's blocks go on with the stream of the
// one above. The stripe next in the file writes its chunks as it codes them;
// the one begun ahead of it holds its own until the stripe above is in the
// file, and goes on as the next one from then. No stripe is begun further
// ahead, so that at any size of picture the coded rows held in memory stay
// within a stripe's worth.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "image/PngChunk.h"
#include "image/PngWriter.h"

namespace pixkeeper {

// Rows [first, end) of a picture, coded as deflate blocks into IDAT chunks,
// the last of them ending the stream when `end` is the picture's end. Each
// time the coded bytes grow by a chunk's worth, `full` may write them.
struct RowsPart {
  std::uint32_t first, end;
  ChunkBuffer& idat;
  std::function<void()> full;
  std::uint32_t adler = 1;  // of the filtered rows
};

// A stripe of rows and the chunks coded from them.
struct Stripe {
  // Its chunk buffer comes from StripeOrder when it is begun.
  Stripe(std::uint32_t first, std::uint32_t end);
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
  static constexpr std::uint64_t kStripeBytes = 512 * 1024;  // of filtered rows, a stripe coded by one thread
  static constexpr std::uint32_t kAhead = 1;                   // stripes begun past the one being written

  // `rowBytes`: of a filtered row.
  StripeOrder(std::vector<std::unique_ptr<Stripe>>& stripes, PngSink& sink, std::size_t rowBytes);

  // The next stripe to code, with the buffer of one written already; null
  // when every stripe is taken or a thread failed.
  Stripe* Claim();

  // Whether stripe `k` is next in the file, so that its thread may write its
  // chunks as it codes them.
  bool InFile(std::uint32_t k) const { return written_.load(std::memory_order_acquire) == k; }

  // The stripe is coded. The thread that finds the stripes above it in the
  // file writes it, and those after it that are coded by then; it writes with
  // the lock let go, so that the other thread need not wait for the file.
  void Finish(Stripe& stripe);

  // Stops every thread at its next stripe.
  void Fail();

 private:
  static constexpr std::chrono::milliseconds kSpin{2};  // about a stripe's coding

  // A lock for a few instructions, which never sleeps: a sleeping thread is
  // what the spinning avoids.
  class SpinLock {
   public:
    void lock();
    void unlock() { flag_.clear(std::memory_order_release); }

   private:
    std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
  };

  bool Ready() const;
  void WakeSleepers();
  void Write(Stripe& stripe, bool last);

  std::vector<std::unique_ptr<Stripe>>& stripes_;
  PngSink& sink_;
  const std::size_t rowBytes_;
  const std::uint32_t count_;
  SpinLock lock_;                    // over next_ as it is taken, the stripes' done marks, writing_ and spare_
  std::mutex parking_;               // over sleepers_ as they wait
  std::condition_variable parked_;   // written_ moved on, or a thread failed
  std::atomic<unsigned> sleepers_{0};
  std::atomic<std::uint32_t> next_{0};     // the next stripe to code
  std::atomic<std::uint32_t> written_{0};  // the stripes in the file
  std::atomic<bool> failed_{false};
  bool writing_ = false;                          // a thread is writing finished stripes
  std::vector<std::vector<std::uint8_t>> spare_;  // chunk buffers of stripes written, for stripes to come
};

}  // namespace pixkeeper
