#pragma once
// The program's font: "ＭＳ ゴシック" in the Japanese character set.

#include <windows.h>

#include <utility>

namespace pixkeeper {

class WindowFont {
 public:
  // `points` at the screen's resolution.
  explicit WindowFont(int points);
  WindowFont(WindowFont&& other) noexcept : font_(std::exchange(other.font_, nullptr)) {}
  WindowFont& operator=(WindowFont&& other) noexcept {
    std::swap(font_, other.font_);
    return *this;
  }
  WindowFont(const WindowFont&) = delete;
  WindowFont& operator=(const WindowFont&) = delete;
  ~WindowFont();

  HFONT get() const { return font_; }
  // Sets the font on a window or control.
  void ApplyTo(HWND window) const;

 private:
  HFONT font_ = nullptr;
};

}  // namespace pixkeeper
