#include "capture/CaptureQueue.h"

#include <chrono>
#include <utility>

#include "base/RuntimeError.h"
#include "capture/StatusText.h"
#include "image/PngWriter.h"

namespace pixkeeper {

CaptureQueue::CaptureQueue(Program& program, TaskRunner& worker, WindowThread& window)
    : program_(program), worker_(worker), window_(window) {}

void CaptureQueue::Notice() {
  if (pausedNotices_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (roundQueued_) return;
    roundQueued_ = true;
  }
  worker_.Post([this] { Round(); });
}

void CaptureQueue::PassOverPresent(bool empty) {
  worker_.Post([this, empty] {
    Platform& platform = program_.platform;
    passed_ = platform.ClipboardSequence();
    if (!empty) return;
    // Another program holding the clipboard keeps it full; its contents are
    // passed over all the same.
    try {
      if (const auto emptied = platform.ClipboardClearIfUnchanged(passed_)) passed_ = *emptied;
    } catch (const RuntimeError&) {
    }
  });
}

void CaptureQueue::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  pausedNotices_ = paused_ = true;
  ++pauses_;
}

void CaptureQueue::Resume() {
  if (!pausedNotices_) return;
  pausedNotices_ = false;
  // What is there now, not when the worker comes to it: a picture copied
  // meanwhile is a change after the resume and is saved.
  const std::uint32_t present = program_.platform.ClipboardSequence();
  std::uint64_t pauses = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pauses = pauses_;
  }
  worker_.Post([this, present, pauses] {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pauses != pauses_) return;  // paused again since: the pause stands
    passed_ = present;
    paused_ = false;
  });
  // A round still queued from before the pause will save nothing: the next
  // change queues one of its own.
  std::lock_guard<std::mutex> lock(mutex_);
  roundQueued_ = false;
}

void CaptureQueue::CopyText(std::wstring text) {
  worker_.Post([this, text = std::move(text)] {
    try {
      program_.platform.ClipboardSetText(text);
    } catch (const RuntimeError& error) {
      // Said, never fatal: another program may hold the clipboard a while.
      const std::wstring text = CopyFailedText(error);
      window_.Post([this, text] { program_.window.ShowStatus(text); });
    }
  });
}

void CaptureQueue::PreparePng() {
  worker_.Post([] {
    try {
      PreparePngEncoder();
    } catch (const std::exception&) {
      // The first picture takes what could not be had now, or says why not.
    }
  });
}

void CaptureQueue::Round() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    roundQueued_ = false;
  }
  CaptureOnce();
}

std::uint64_t CaptureQueue::BeginWait(OwnerWait wait) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_ = wait;
  gaveUp_ = false;
  return ++waitNumber_;
}

bool CaptureQueue::EndWait(std::uint64_t wait) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_ = OwnerWait::kNone;
  return gaveUp_ && waitNumber_ == wait;
}

bool CaptureQueue::GaveUpWaiting(OwnerWait wait, const std::function<void()>& step) {
  const std::uint64_t number = BeginWait(wait);
  window_.Post([this, number] {
    window_.ArmWatchdog(kOwnerPatienceMilliseconds, [this, number] { OwnerTooSlow(number); });
  });
  bool gaveUp = false;
  try {
    step();
    gaveUp = EndWait(number);
  } catch (...) {
    EndWait(number);
    window_.Post([this] { window_.DisarmWatchdog(); });
    throw;
  }
  window_.Post([this] { window_.DisarmWatchdog(); });
  return gaveUp;
}

void CaptureQueue::OwnerTooSlow(std::uint64_t wait) {
  OwnerWait given = OwnerWait::kNone;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (waitNumber_ != wait || waiting_ == OwnerWait::kNone) return;  // it ended in time
    gaveUp_ = true;
    given = waiting_;
  }
  program_.window.ShowStatus(OwnerSilentText(given));
}

void CaptureQueue::StopWriting() {
  // A file still being written after the grace is left to the system's end
  // of the process; the temporary name it has until then tells it apart.
  const bool idle = writing_.try_lock_for(std::chrono::milliseconds(kWriteGraceMilliseconds));
  stopped_ = true;
  if (idle) writing_.unlock();
}

}  // namespace pixkeeper
