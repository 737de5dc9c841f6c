#include "ui/ModalLoop.h"

#include <algorithm>
#include <vector>

namespace pixkeeper {

namespace {

// Windows that a modal window has disabled, innermost last.
struct DisabledSet {
  HWND modal;
  std::vector<HWND> windows;
};
std::vector<DisabledSet> g_disabled;

BOOL CALLBACK CollectEnabled(HWND window, LPARAM context) {
  auto* set = reinterpret_cast<DisabledSet*>(context);
  if (window != set->modal && IsWindowVisible(window) && IsWindowEnabled(window)) {
    set->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

void ShowModal(HWND window, const bool& open) {
  DisabledSet set{window, {}};
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&set));
  for (HWND other : set.windows) EnableWindow(other, FALSE);
  g_disabled.push_back(std::move(set));

  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  // The first control in tab order takes the focus, as in a dialog.
  if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);

  MSG message;
  while (open && IsWindow(window)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: leave the quit message for the outer loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  EndModal(window);
}

void EndModal(HWND window) {
  auto found = std::find_if(g_disabled.begin(), g_disabled.end(),
                            [window](const DisabledSet& set) { return set.modal == window; });
  if (found == g_disabled.end()) return;
  for (HWND other : found->windows) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
  g_disabled.erase(found);
}

}  // namespace pixkeeper
