#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

int ErrorNumberFor(DWORD code, int fallback) noexcept {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return error::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return error::kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
      return error::kPathFileAccess;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return error::kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return error::kDiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return error::kBadFileName;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return error::kOutOfMemory;
    case ERROR_NOT_READY:
      return 71;  // disk not ready
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
      return 57;  // device I/O error
    case ERROR_CLIPBOARD_NOT_OPEN:
      return error::kCannotOpenClipboard;
    default:
      return fallback;
  }
}

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", length);
  ::LocalFree(text);
  // The system ends its messages with a line break.
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  return message;
}

void RaiseWin32Error(DWORD code, int fallback) {
  const int number = ErrorNumberFor(code, fallback);
  throw RuntimeError(number, ErrorText(number), SystemMessage(code));
}

void RaiseLastError(int fallback) { RaiseWin32Error(::GetLastError(), fallback); }

}  // namespace pixkeeper::win32
