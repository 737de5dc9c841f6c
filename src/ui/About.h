#pragma once
// The version window: the program's title and version and the history of
// changes. It reads and writes nothing.

#include <windows.h>

#include "ui/BaseWindow.h"
#include "ui/DialogWindow.h"
#include "ui/ModalLoop.h"
#include "ui/WindowFont.h"

namespace pixkeeper {

class About final : public BaseWindow<About> {
 public:
  // Creates and loads the box, hidden; `owner` keeps it off the task bar.
  About(Platform& platform, HWND owner);

  // Shows the box modally; returns when Ok or the close box unloads it.
  void ShowModal();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Unload();

  WindowFont font_{12};
  WindowFont listFont_{9};
  DialogFocus focus_;
  ModalShowing modal_;
};

}  // namespace pixkeeper
