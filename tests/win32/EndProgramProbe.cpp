// end_program_probe REPORT_FILE
// Opens a main window with an owned window and a hooked procedure, then ends
// itself through the platform. Every WM_DESTROY that the windows see is
// written to the report, any request to close as "asked", and "returned" if
// EndProgram ever came back.

#include <windows.h>

#include <cstdio>

#include "platform/win32/Win32Platform.h"

namespace {

FILE* report = nullptr;
WNDPROC previousProcedure = nullptr;

LRESULT CALLBACK Hooked(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY || message == WM_CLOSE || message == WM_QUERYENDSESSION) {
    std::fprintf(report, message == WM_DESTROY ? "main destroyed\n" : "asked to close\n");
    std::fflush(report);
  }
  return ::CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK Owned(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    std::fprintf(report, "owned destroyed\n");
    std::fflush(report);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || (report = _wfopen(argv[1], L"w")) == nullptr) return 1;
  pixkeeper::Win32Platform platform;

  HWND main = ::CreateWindowExW(0, L"STATIC", L"probe main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
  previousProcedure = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Hooked)));
  WNDCLASSW ownedClass{};
  ownedClass.lpfnWndProc = Owned;
  ownedClass.hInstance = ::GetModuleHandleW(nullptr);
  ownedClass.lpszClassName = L"ProbeOwned";
  ::RegisterClassW(&ownedClass);
  ::CreateWindowExW(0, L"ProbeOwned", L"probe owned", WS_POPUP, 0, 0, 50, 50, main, nullptr,
                    ownedClass.hInstance, nullptr);

  platform.EndProgram();
  std::fprintf(report, "returned\n");  // never reached
  std::fclose(report);
  return 3;
}
