#include "image/StripeOrder.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "image/Checksums.h"

namespace pixkeeper {

Stripe::Stripe(std::uint32_t first, std::uint32_t end) : part{first, end, idat, nullptr} {
  std::vector<std::uint8_t>().swap(idat.bytes);
}

void StripeOrder::SpinLock::lock() {
  while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
}

StripeOrder::StripeOrder(std::vector<std::unique_ptr<Stripe>>& stripes, PngSink& sink, std::size_t rowBytes)
    : stripes_(stripes), sink_(sink), rowBytes_(rowBytes), count_(static_cast<std::uint32_t>(stripes.size())) {
  // A buffer for each stripe that can be begun and not yet written, with
  // room for the stripe stored as it is, taken once: growing by steps would
  // leave each step's memory behind.
  spare_.resize(std::min<std::uint32_t>(count_, kAhead + 1));
  for (auto& buffer : spare_) buffer.reserve(kStripeBytes + kStripeBytes / 1024 + 4096);
}

bool StripeOrder::Ready() const {
  const std::uint32_t next = next_.load();
  return failed_.load() || next >= count_ || next <= written_.load() + kAhead;
}

Stripe* StripeOrder::Claim() {
  for (const auto until = std::chrono::steady_clock::now() + kSpin; !Ready();) {
    if (std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
      continue;
    }
    // A long wait (a slow disk, a busy system) sleeps until Finish or Fail wakes it.
    std::unique_lock<std::mutex> lock(parking_);
    ++sleepers_;
    parked_.wait(lock, [this] { return Ready(); });
    --sleepers_;
  }
  std::lock_guard<SpinLock> lock(lock_);
  if (failed_ || next_ >= count_) return nullptr;
  Stripe* stripe = stripes_[next_++].get();
  stripe->idat.bytes.swap(spare_.back());
  spare_.pop_back();
  return stripe;
}

void StripeOrder::Finish(Stripe& stripe) {
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

void StripeOrder::Fail() {
  failed_ = true;
  WakeSleepers();
}

void StripeOrder::WakeSleepers() {
  // Whoever counted itself in before the change is waiting, or sees it.
  if (sleepers_.load() == 0) return;
  { std::lock_guard<std::mutex> lock(parking_); }
  parked_.notify_all();
}

// The stripe's last chunk, with the check sum of the whole stream after the last stripe's.
void StripeOrder::Write(Stripe& stripe, bool last) {
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

}  // namespace pixkeeper
