#include "ui/ControlText.h"

#include "platform/win32/Handles.h"

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

int TextWidth(HWND control, HFONT font, const std::wstring& text) {
  win32::WindowDc dc(control);
  win32::SelectedObject selected(dc.get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx + 4;
}

void SetListEntries(HWND list, HFONT font, const std::vector<std::wstring>& entries) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int widest = 0;
  for (const std::wstring& entry : entries) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    const int width = TextWidth(list, font, entry);
    if (width > widest) widest = width;
  }
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
}

}  // namespace pixkeeper
