#include "base/HelperThread.h"

#include <system_error>
#include <utility>

namespace pixkeeper {

HelperThread& HelperThread::Shared() {
  // Never destroyed: the program may end from anywhere (ExitProcess), and the
  // system ends the waiting thread with it; joining it at exit could hang.
  static HelperThread* const helper = new HelperThread;
  return *helper;
}

HelperThread::~HelperThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool HelperThread::Start(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (busy_ || stopping_) return false;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  task_ = std::move(task);
  failure_ = nullptr;
  busy_ = true;
  changed_.notify_all();
  return true;
}

void HelperThread::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !task_; });
  busy_ = false;
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void HelperThread::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return task_ || stopping_; });
    if (!task_) return;
    lock.unlock();
    try {
      task_();
    } catch (...) {
      failure_ = std::current_exception();
    }
    lock.lock();
    task_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace pixkeeper
