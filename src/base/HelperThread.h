#pragma once
// A second thread kept for work that can run beside the caller's, such as
// the lower half of a large picture being encoded: starting a thread for each
// picture costs over a millisecond on some systems.

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace pixkeeper {

class HelperThread {
 public:
  // The one shared by the program, its thread started on first use.
  static HelperThread& Shared();

  HelperThread() = default;
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Hands the task over; false when the helper is busy or no thread can be
  // had, and the caller must run it itself.
  bool Start(std::function<void()> task);

  // Waits until the task handed over has run; raises what it raised.
  void Wait();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> task_;
  std::exception_ptr failure_;
  bool busy_ = false, stopping_ = false;
  std::thread thread_;
};

}  // namespace pixkeeper
