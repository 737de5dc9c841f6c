#pragma once
// Reading and setting the text of windows and controls.

#include <windows.h>

#include <string>

namespace pixkeeper {

std::wstring WindowText(HWND window);
void SetWindowTextTo(HWND window, const std::wstring& text);

}  // namespace pixkeeper
