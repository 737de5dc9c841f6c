#pragma once
// The thread of one window as other threads reach it: steps arrive there as a
// private message of the window, and the watchdog is a timer of the window.
// The window's procedure hands its messages to Handle() first.

#include <windows.h>

#include <functional>

#include "platform/WindowThread.h"

namespace pixkeeper::win32 {

class WindowTasks final : public WindowThread {
 public:
  WindowTasks() = default;
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
  HWND window_ = nullptr;
  std::function<void()> expired_;
};

}  // namespace pixkeeper::win32
