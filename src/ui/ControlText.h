#pragma once
// Reading and setting the text of windows and controls.

#include <windows.h>

#include <string>
#include <vector>

namespace pixkeeper {

std::wstring WindowText(HWND window);
void SetWindowTextTo(HWND window, const std::wstring& text);

// The width in pixels of `text` drawn in `font` on `control`.
int TextWidth(HWND control, HFONT font, const std::wstring& text);

// Fills a list box with `entries` in order; entries wider than the list can
// be scrolled into view sideways.
void SetListEntries(HWND list, HFONT font, const std::vector<std::wstring>& entries);

}  // namespace pixkeeper
