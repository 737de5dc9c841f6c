#pragma once
// The notification-area icon's decisions that need no window: its tip, and
// what each notice from the shell asks for.

#include <string>

namespace pixkeeper {

std::wstring TrayTip(bool paused);

enum class TrayAction { kNone, kShowWindow, kShowMenu };

// The shell's notice (the mouse or key message it reports) for an icon that
// asked for the notices of version 4, or, when the shell refused that, for
// one with the older notices, where a right click is only WM_RBUTTONUP.
TrayAction TrayActionFor(unsigned notice, bool version4);

}  // namespace pixkeeper
