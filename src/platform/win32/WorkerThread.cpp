#include "platform/win32/WorkerThread.h"

#include <thread>
#include <utility>

namespace pixkeeper::win32 {

namespace {
constexpr wchar_t kWindowClass[] = L"PixkeeperWorker";
WorkerThread* theWorker = nullptr;
}  // namespace

WorkerThread& WorkerThread::Started() {
  static WorkerThread* const worker = new WorkerThread;
  return *worker;
}

WorkerThread::WorkerThread() : queued_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  theWorker = this;
  std::thread([this] { Run(); }).detach();
}

void WorkerThread::Post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  ::SetEvent(queued_);
}

void WorkerThread::RunQueued() {
  if (running_) return;
  running_ = true;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (tasks_.empty()) break;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    // A task reports its own failures; one that escapes must not end the
    // thread and with it every capture after it.
    try {
      task();
    } catch (...) {
    }
  }
  running_ = false;
}

LRESULT CALLBACK WorkerThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Posted messages arrive only between tasks, never inside one.
  if (message == kIdleProbe && theWorker != nullptr) {
    theWorker->RunQueued();
    ::PostMessageW(reinterpret_cast<HWND>(wParam), kIdleProbe, 0, lParam);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void WorkerThread::Run() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassW(&windowClass);
  ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
  for (;;) {
    RunQueued();
    ::MsgWaitForMultipleObjectsEx(1, &queued_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace pixkeeper::win32
