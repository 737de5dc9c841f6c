#pragma once
// Showing a window modally: the program's other windows are disabled while it
// is shown, and messages keep being dispatched to all of them, so clipboard
// notices still reach the main window and captures run behind the window.

#include <windows.h>

namespace pixkeeper {

// Shows `window` and returns when `open` turns false or the window is
// destroyed.
void ShowModal(HWND window, const bool& open);

// Gives the other windows back before `window` is hidden or destroyed, so
// that the system activates one of them rather than another program.
void EndModal(HWND window);

// A window's modal showing: Run returns once End has been called (or the
// window is gone); the caller then hides or destroys the window.
class ModalShowing {
 public:
  void Run(HWND window) {
    open_ = true;
    ShowModal(window, open_);
    open_ = false;
  }
  void End(HWND window) {
    open_ = false;
    EndModal(window);
  }

 private:
  bool open_ = false;
};

}  // namespace pixkeeper
