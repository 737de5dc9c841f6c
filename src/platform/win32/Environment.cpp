#include "platform/win32/Environment.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

#include "base/RuntimeError.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

LocalDate CurrentDate() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalDate{now.wYear, now.wMonth, now.wDay};
}

LocalTime CurrentTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalTime{now.wHour, now.wMinute, now.wSecond};
}

std::wstring ArgumentsAfterProgramName(std::wstring_view commandLine) {
  std::size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const std::size_t closing = commandLine.find(L'"', 1);
    at = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
  } else {
    at = commandLine.find_first_of(L" \t");
    if (at == std::wstring_view::npos) at = commandLine.size();
  }
  at = commandLine.find_first_not_of(L" \t", at);
  return at == std::wstring_view::npos ? std::wstring() : std::wstring(commandLine.substr(at));
}

std::wstring CommandLineText() { return ArgumentsAfterProgramName(::GetCommandLineW()); }

std::wstring FolderOfPath(const std::wstring& filePath) {
  const std::size_t separator = filePath.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return std::wstring();
  // "C:\x.exe" lives in "C:\", not in "C:".
  if (separator == 2 && filePath[1] == L':') return filePath.substr(0, 3);
  return filePath.substr(0, separator);
}

std::wstring ProgramPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);  // cut short: try a longer buffer
  }
}

std::wstring ProgramDirectory() {
  const std::wstring path = ProgramPath();
  return path.empty() ? path : FolderOfPath(path);
}

std::wstring PicturesFolder() {
  wchar_t* path = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &path);
  std::wstring folder = SUCCEEDED(result) && path != nullptr ? path : L"";
  ::CoTaskMemFree(path);
  if (folder.empty()) RaiseWin32Error(static_cast<DWORD>(HRESULT_CODE(result)), error::kPathNotFound);
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

ScreenTwips ScreenSize() {
  constexpr double kTwipsPerInch = 1440.0;
  WindowDc screen(nullptr);
  int dpiX = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  int dpiY = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  if (dpiX <= 0) dpiX = 96;
  if (dpiY <= 0) dpiY = 96;
  return ScreenTwips{::GetSystemMetrics(SM_CXSCREEN) * kTwipsPerInch / dpiX,
                     ::GetSystemMetrics(SM_CYSCREEN) * kTwipsPerInch / dpiY};
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

}  // namespace

void EndProgram() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  // Destroying an owner destroys what it owns, so some are gone already.
  for (HWND window : windows) {
    if (::IsWindow(window)) ::DestroyWindow(window);
  }
  ::ExitProcess(0);
}

}  // namespace pixkeeper::win32
