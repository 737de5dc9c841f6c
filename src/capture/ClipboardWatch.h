#pragma once
// The clipboard watch: the main window's procedure is replaced by HookProc and
// the window joins the clipboard viewer chain.

#include <cstdint>

#include "capture/Program.h"

namespace pixkeeper {

void HookWindow(Program& program);
void UnhookWindow(Program& program);
void JoinViewerChain(Program& program);
void LeaveViewerChain(Program& program);

// The main window's procedure while hooked. Never throws.
std::intptr_t HookProc(Program& program, WindowHandle window, unsigned message,
                       std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace pixkeeper
