#pragma once
// The program's font: "ＭＳ ゴシック" in the Japanese character set where the
// program speaks Japanese, Windows' message font elsewhere.

#include <windows.h>

#include "platform/win32/Handles.h"

namespace pixkeeper {

class WindowFont {
 public:
  // `points` at the screen's resolution.
  explicit WindowFont(int points);

  HFONT get() const { return static_cast<HFONT>(font_.get()); }
  // Sets the font on a window or control.
  void ApplyTo(HWND window) const;

 private:
  win32::GdiObject font_;
};

}  // namespace pixkeeper
