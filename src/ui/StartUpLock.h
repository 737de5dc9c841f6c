#pragma once
// Two copies started at the same moment could both pass the check for a
// running copy before either has set its title. A named mutex, held from
// before the check until the main window bears its title, makes the second
// copy wait for the first and then find its window.

#include <windows.h>

namespace pixkeeper {

class StartUpLock {
 public:
  // Waits a bounded time for another starting copy; a copy that does not
  // finish starting in time does not hold this one up for good.
  StartUpLock();
  ~StartUpLock();
  StartUpLock(const StartUpLock&) = delete;
  StartUpLock& operator=(const StartUpLock&) = delete;

  // Lets the next copy go on (the title is set, or start-up has ended).
  void Release();

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
};

}  // namespace pixkeeper
