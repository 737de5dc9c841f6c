#include "ui/ControlText.h"

namespace pixkeeper {

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void SetWindowTextTo(HWND window, const std::wstring& text) { SetWindowTextW(window, text.c_str()); }

}  // namespace pixkeeper
