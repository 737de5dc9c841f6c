#pragma once
// The main window's thread as the worker thread reaches it. Everything the
// windows show and the settings they change live there; the worker asks for
// them through these calls and never touches them itself.

#include <functional>

namespace pixkeeper {

class WindowThread {
 public:
  virtual ~WindowThread() = default;
  // Runs the step on the window's thread and waits for it; what the step
  // raises is raised here.
  virtual void Invoke(const std::function<void()>& step) = 0;
  // Runs the step on the window's thread later, in the order posted. What it
  // raises is reported there as any error of the window.
  virtual void Post(std::function<void()> step) = 0;
  // Window thread only: runs `expired` there after this long, unless
  // disarmed first. A new arming replaces the one before.
  virtual void ArmWatchdog(int milliseconds, std::function<void()> expired) = 0;
  virtual void DisarmWatchdog() = 0;
};

}  // namespace pixkeeper
