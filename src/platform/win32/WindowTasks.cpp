#include "platform/win32/WindowTasks.h"

#include <exception>
#include <future>
#include <memory>
#include <utility>

#include "base/RuntimeError.h"
#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

namespace {

constexpr wchar_t kStepMessageName[] = L"Pixkeeper.WindowStep";
constexpr WPARAM kPosted = 0, kInvoked = 1;
constexpr UINT_PTR kWatchdogTimer = 0x5744;

// A step that another thread waits on, with the way back of its outcome.
struct InvokedStep {
  const std::function<void()>* step;
  std::promise<void> done;
};

}  // namespace

WindowTasks::WindowTasks() : stepMessage_(::RegisterWindowMessageW(kStepMessageName)) {
  if (stepMessage_ == 0) RaiseLastError(error::kOutOfMemory);
}

bool WindowTasks::PostStep(WPARAM kind, const void* step) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_[step] = kind;
  }
  if (::PostMessageW(window_, stepMessage_, kind, reinterpret_cast<LPARAM>(step))) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.erase(step);
  return false;
}

bool WindowTasks::TakeStep(WPARAM kind, const void* step) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = pending_.find(step);
  if (found == pending_.end() || found->second != kind) return false;
  pending_.erase(found);
  return true;
}

bool WindowTasks::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kWatchdogTimer) {
    ::KillTimer(window_, kWatchdogTimer);
    std::function<void()> expired = std::exchange(expired_, nullptr);
    if (expired) expired();
    return true;
  }
  if (message != stepMessage_) return false;
  // A step of another process, or a forged one: not ours to run.
  if (!TakeStep(wParam, reinterpret_cast<const void*>(lParam))) return true;
  if (wParam == kInvoked) {
    auto* call = reinterpret_cast<InvokedStep*>(lParam);
    try {
      (*call->step)();
      call->done.set_value();
    } catch (...) {
      call->done.set_exception(std::current_exception());
    }
  } else {
    std::unique_ptr<std::function<void()>> step(reinterpret_cast<std::function<void()>*>(lParam));
    (*step)();
  }
  return true;
}

void WindowTasks::Invoke(const std::function<void()>& step) {
  InvokedStep call{&step, {}};
  std::future<void> done = call.done.get_future();
  if (!PostStep(kInvoked, &call)) RaiseLastError(error::kOutOfMemory);
  done.get();
}

void WindowTasks::Post(std::function<void()> step) {
  auto owned = std::make_unique<std::function<void()>>(std::move(step));
  if (PostStep(kPosted, owned.get())) owned.release();  // the message owns it now
}

void WindowTasks::ArmWatchdog(int milliseconds, std::function<void()> expired) {
  expired_ = std::move(expired);
  ::SetTimer(window_, kWatchdogTimer, static_cast<UINT>(milliseconds), nullptr);
}

void WindowTasks::DisarmWatchdog() {
  ::KillTimer(window_, kWatchdogTimer);
  expired_ = nullptr;
}

}  // namespace pixkeeper::win32
