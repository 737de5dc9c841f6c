#pragma once
// A window class whose procedure forwards every message to the typed handler
// `LRESULT T::HandleMessage(UINT, WPARAM, LPARAM)` of the object that created
// it. The object lives in GWLP_USERDATA from WM_NCCREATE on. Exceptions stop
// here: an error that reaches the procedure is shown and ends the program.

#include <windows.h>

#include "platform/Platform.h"
#include "ui/ErrorBoundary.h"

namespace pixkeeper {

template <typename T>
class BaseWindow {
 public:
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Whether the window exists (it is unloaded when destroyed).
  bool IsLoaded() const { return hwnd_ != nullptr; }

 protected:
  explicit BaseWindow(Platform& platform) : platform_(platform) {}
  ~BaseWindow() {
    if (hwnd_ != nullptr) {
      // The derived part is gone already: no message may reach it.
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }

  static void RegisterWindowClass(const wchar_t* className, HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &BaseWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);  // a second registration fails harmlessly
  }

  HWND CreateTopLevel(const wchar_t* className, const wchar_t* title, DWORD style,
                      DWORD exStyle, HWND owner, HMENU menu) {
    return CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, owner, menu, GetModuleHandleW(nullptr),
                           static_cast<T*>(this));
  }

  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  Platform& platform() const { return platform_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* self = static_cast<T*>(create->lpCreateParams);
      self->hwnd_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
      return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
      EndWithError(self->platform_, CurrentExceptionText());
    }
  }

  Platform& platform_;
  HWND hwnd_ = nullptr;
};

}  // namespace pixkeeper
