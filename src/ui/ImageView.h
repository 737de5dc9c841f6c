#pragma once
// The built-in viewer: one picture at its natural size in a window fitted
// around it and centred on the screen. Esc or the close box closes it.

#include <windows.h>

#include "image/Picture.h"
#include "ui/BaseWindow.h"
#include "ui/ModalLoop.h"

namespace pixkeeper {

class ImageView final : public BaseWindow<ImageView> {
 public:
  // Creates the viewer for `picture` (not empty), hidden; `owner` keeps it
  // off the task bar.
  ImageView(Platform& platform, HWND owner, Picture picture);

  // Shows the viewer modally; returns when it is closed.
  void ShowModal();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Paint();
  void Unload();

  Picture picture_;
  ModalShowing modal_;
};

}  // namespace pixkeeper
