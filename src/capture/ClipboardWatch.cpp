#include "capture/ClipboardWatch.h"

#include <exception>

#include "capture/CaptureQueue.h"

namespace pixkeeper {

namespace {

// A short pause follows each change of the window's procedure and of the
// viewer chain.
constexpr int kSettleMilliseconds = 5;

// The window is going away: write the settings, leave the chain, restore the
// old procedure. Saving reports nothing, so its failure must not keep the
// other two steps from running.
void CloseOnDestroy(Program& program) {
  try {
    if (program.saveSession) program.saveSession();
  } catch (const std::exception&) {
  }
  LeaveViewerChain(program);
  UnhookWindow(program);
}

// Keeps the viewers that joined before us hearing of clipboard changes.
void PassOnToNextViewer(Program& program, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  const WindowHandle next = program.state.NextViewer;
  if (next != 0) program.platform.SendWindowMessage(next, message, wParam, lParam);
}

// A viewer leaves the chain: when it is the one after us, its successor takes
// its place; otherwise the notice travels on down the chain.
void ChainChanged(Program& program, std::uintptr_t wParam, std::intptr_t lParam) {
  AppState& state = program.state;
  if (static_cast<WindowHandle>(wParam) == state.NextViewer) {
    state.NextViewer = static_cast<WindowHandle>(lParam);
  } else {
    PassOnToNextViewer(program, window_message::kChangeClipboardChain, wParam, lParam);
  }
}

}  // namespace

void HookWindow(Program& program) {
  AppState& state = program.state;
  // A second hook would make PrevWndProc name HookProc itself.
  if (state.Hooked) return;
  Platform& platform = program.platform;
  state.PrevWndProc = platform.SetWindowProcedure(state.MainWindow, platform.HookProcedure());
  state.Hooked = true;
  platform.Sleep(kSettleMilliseconds);
}

void UnhookWindow(Program& program) {
  AppState& state = program.state;
  if (!state.Hooked) return;
  state.Hooked = false;
  // PrevWndProc keeps its value: a message still under way ends there.
  program.platform.SetWindowProcedure(state.MainWindow, state.PrevWndProc);
  program.platform.Sleep(kSettleMilliseconds);
}

void JoinViewerChain(Program& program) {
  AppState& state = program.state;
  if (state.InViewerChain) return;
  // 0 is the normal answer when no other viewer is in the chain.
  state.NextViewer = program.platform.SetClipboardViewer(state.MainWindow);
  state.InViewerChain = true;
  program.platform.Sleep(kSettleMilliseconds);
}

void LeaveViewerChain(Program& program) {
  AppState& state = program.state;
  if (!state.InViewerChain) return;
  state.InViewerChain = false;
  program.platform.ChangeClipboardChain(state.MainWindow, state.NextViewer);
  program.platform.Sleep(kSettleMilliseconds);
}

std::intptr_t HookProc(Program& program, WindowHandle window, unsigned message,
                       std::uintptr_t wParam, std::intptr_t lParam) {
  // Nothing may leave a window procedure, and every message still reaches the
  // replaced procedure whatever happened before.
  try {
    switch (message) {
      case window_message::kDestroy:
        // Only while still hooked: the close request has otherwise done all
        // three steps already.
        if (program.state.Hooked) CloseOnDestroy(program);
        break;
      case window_message::kDrawClipboard:
        // The capture runs on the worker: the chain hears of the change at once.
        if (program.capture != nullptr) program.capture->Notice();
        PassOnToNextViewer(program, message, wParam, lParam);
        break;
      case window_message::kChangeClipboardChain:
        ChainChanged(program, wParam, lParam);
        break;
      default:
        break;
    }
  } catch (const std::exception&) {
  }
  try {
    return program.platform.CallWindowProcedure(program.state.PrevWndProc, window, message,
                                                wParam, lParam);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace pixkeeper
