#include "platform/win32/WindowFunctions.h"

#include <windows.h>
#include <shellapi.h>

#include "base/RuntimeError.h"
#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

namespace {

HWND ToHwnd(WindowHandle window) noexcept { return reinterpret_cast<HWND>(window); }

// A window procedure has no room for a context, so the one hook of the
// process keeps its handler here; it is set once at start, on the UI thread.
HookHandler hookHandler = nullptr;
void* hookContext = nullptr;

LRESULT CALLBACK HookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // An exception must not unwind through the system's message dispatch.
  try {
    if (hookHandler != nullptr) {
      return hookHandler(hookContext, reinterpret_cast<WindowHandle>(window), message, wParam,
                         lParam);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace

void SetHookHandler(HookHandler handler, void* context) noexcept {
  hookHandler = handler;
  hookContext = context;
}

WindowProcedure HookProcedure() noexcept { return reinterpret_cast<WindowProcedure>(&HookWindowProc); }

WindowHandle SetClipboardViewer(WindowHandle window) {
  return reinterpret_cast<WindowHandle>(::SetClipboardViewer(ToHwnd(window)));
}

void ChangeClipboardChain(WindowHandle window, WindowHandle next) {
  ::ChangeClipboardChain(ToHwnd(window), ToHwnd(next));
}

WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure) {
  return static_cast<WindowProcedure>(
      ::SetWindowLongPtrW(ToHwnd(window), GWLP_WNDPROC, static_cast<LONG_PTR>(procedure)));
}

std::intptr_t CallWindowProcedure(WindowProcedure procedure, WindowHandle window, unsigned message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
  return ::CallWindowProcW(reinterpret_cast<WNDPROC>(procedure), ToHwnd(window), message, wParam,
                           lParam);
}

std::intptr_t SendWindowMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  return ::SendMessageW(ToHwnd(window), message, wParam, lParam);
}

bool WindowExists(const std::wstring& windowClass, const std::wstring& title) {
  return ::FindWindowW(windowClass.c_str(), title.c_str()) != nullptr;
}

void OpenWithAssociatedApplication(WindowHandle owner, const std::wstring& path,
                                   const std::wstring& workingDirectory) {
  ::ShellExecuteW(ToHwnd(owner), L"open", path.c_str(), nullptr,
                  workingDirectory.empty() ? nullptr : workingDirectory.c_str(), SW_SHOWNORMAL);
}

void OpenFolder(WindowHandle owner, const std::wstring& path) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The file manager may take its time to start: the window does not wait.
  info.fMask = SEE_MASK_ASYNCOK | SEE_MASK_FLAG_NO_UI;
  info.hwnd = ToHwnd(owner);
  info.lpVerb = L"open";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) RaiseWin32Error(::GetLastError(), error::kPathNotFound);
}

}  // namespace pixkeeper::win32
