#pragma once
// Turning Win32 error codes into the program's run-time errors. Every failure
// of a system call in this layer goes through here, so one table decides which
// number (and so which Japanese text) the user sees.

#include <windows.h>

#include <string>

#include "base/RuntimeError.h"

namespace pixkeeper::win32 {

// The run-time error number for a Win32 error code; `fallback` for a code
// that has no closer match.
int ErrorNumberFor(DWORD code, int fallback) noexcept;

// The system's text for the code in the user's language, without its line
// break; empty when it has none.
std::wstring SystemMessage(DWORD code);

// Raises the run-time error for the code, with the system's text as its reason.
[[noreturn]] void RaiseWin32Error(DWORD code, int fallback);

// Raises the calling thread's last error (GetLastError).
[[noreturn]] void RaiseLastError(int fallback);

}  // namespace pixkeeper::win32
