#pragma once
// What the secondary windows share: a fixed dialog frame with a close box
// only, the program's icon, no task-bar button (their owner is the main
// window), controls placed in twips, and the focus given back on activation.

#include <windows.h>

#include "ui/Twips.h"
#include "ui/WindowFont.h"

namespace pixkeeper {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The icon of the owner's window class: the program's icon.
HICON ProgramIcon(HWND owner);

// A visible child control at `rect` of `parent`'s client area, in `font`.
HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                DWORD exStyle, int id, const TwipsRect& rect, const WindowFont& font);

// As a dialog does: the control that had the focus gets it back when the
// window is activated again (the first in tab order the first time).
class DialogFocus {
 public:
  void OnActivate(HWND dialog, bool active);

 private:
  HWND last_ = nullptr;
};

}  // namespace pixkeeper
