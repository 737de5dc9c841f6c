#pragma once
// The thread of one window as other threads reach it: steps arrive there as a
// message registered for them, and the watchdog is a timer of the window.
// The window's procedure hands its messages to Handle() first.
//
// Any process can post any message to a window, so the message carries no
// step by itself: its pointer is acted on only when it is one of the steps
// handed over here and not yet run.

#include <windows.h>

#include <functional>
#include <mutex>
#include <map>

#include "platform/WindowThread.h"

namespace pixkeeper::win32 {

class WindowTasks final : public WindowThread {
 public:
  WindowTasks();
  WindowTasks(const WindowTasks&) = delete;
  WindowTasks& operator=(const WindowTasks&) = delete;

  // The window whose thread runs the steps; set before any step is handed over.
  void Attach(HWND window) { window_ = window; }

  // True when the message was one of these steps or the watchdog's timer,
  // which it then has run; the window answers it with 0.
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void Invoke(const std::function<void()>& step) override;
  void Post(std::function<void()> step) override;
  void ArmWatchdog(int milliseconds, std::function<void()> expired) override;
  void DisarmWatchdog() override;

 private:
  // Hands the step over to the window's thread; false when it could not be posted.
  bool PostStep(WPARAM kind, const void* step);
  // True when the step was handed over as this kind and not yet taken; it is
  // taken now.
  bool TakeStep(WPARAM kind, const void* step);

  HWND window_ = nullptr;
  UINT stepMessage_ = 0;
  std::mutex mutex_;
  std::map<const void*, WPARAM> pending_;  // steps posted and not yet run, with their kind
  std::function<void()> expired_;
};

}  // namespace pixkeeper::win32
