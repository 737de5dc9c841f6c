#pragma once
// A kept thread that runs the tasks handed to it one at a time, in the order
// they came. The window's thread hands it the work that may wait on other
// programs, so that the windows never wait with it.
//
// Between tasks the thread takes its messages, as a thread that uses COM
// objects should. It has a message-only window of the class
// "PixkeeperWorker" that tells other programs (tests, measuring tools) when
// the worker is idle: kIdleProbe posted to it with a window in wParam is
// posted back to that window, with the same lParam, once every task queued
// before it has run.

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

#include "platform/TaskRunner.h"

namespace pixkeeper::win32 {

class WorkerThread final : public TaskRunner {
 public:
  static constexpr UINT kIdleProbe = WM_APP + 0x51;

  // Never destroyed: the program may end while a task waits on another
  // program, and waiting for the thread then would wait as long. The system
  // ends the thread with the process.
  static WorkerThread& Started();

  void Post(std::function<void()> task) override;

 private:
  WorkerThread();
  void Run();
  // Runs the queued tasks, unless one is running already further up.
  void RunQueued();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  HANDLE queued_;  // set when a task is queued
  bool running_ = false;  // worker thread only
};

}  // namespace pixkeeper::win32
