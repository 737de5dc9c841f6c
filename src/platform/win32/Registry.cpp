#include "platform/win32/Registry.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/RuntimeError.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

namespace {

// Settings that cannot be stored or read are "invalid procedure call".
constexpr int kSettingsError = 5;

std::wstring SectionPath(const std::wstring& application, const std::wstring& section) {
  return L"Software\\" + application + L"\\" + section;
}

// The text of a value as stored: up to its first NUL, whether or not it
// carries a terminating one.
std::wstring TextOf(const std::vector<std::uint8_t>& bytes, DWORD size) {
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
  const std::size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return text;
}

}  // namespace

std::wstring ReadSetting(const std::wstring& application, const std::wstring& section,
                         const std::wstring& key, const std::wstring& defaultText) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0,
                      KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return defaultText;
  }
  RegistryKey sectionKey(opened);

  std::vector<std::uint8_t> bytes;
  DWORD type = REG_NONE;
  DWORD size = 0;
  LSTATUS status = ::RegQueryValueExW(sectionKey.get(), key.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between asking its size and reading it.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    bytes.resize(size + sizeof(wchar_t));
    size = static_cast<DWORD>(bytes.size());
    status = ::RegQueryValueExW(sectionKey.get(), key.c_str(), nullptr, &type, bytes.data(), &size);
    if (status == ERROR_SUCCESS) break;
  }
  if (status != ERROR_SUCCESS) return defaultText;

  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:  // its first string
      return TextOf(bytes, size);
    case REG_DWORD:
      if (size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        return std::to_wstring(number);
      }
      return defaultText;
    case REG_QWORD:
      if (size == sizeof(std::uint64_t)) {
        std::uint64_t number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        return std::to_wstring(number);
      }
      return defaultText;
    default:  // binary data is no setting of this program
      return defaultText;
  }
}

void WriteSetting(const std::wstring& application, const std::wstring& section,
                  const std::wstring& key, const std::wstring& text) {
  HKEY created = nullptr;
  LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(),
                                     0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                     &created, nullptr);
  if (status != ERROR_SUCCESS) RaiseWin32Error(static_cast<DWORD>(status), kSettingsError);
  RegistryKey sectionKey(created);
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  status = ::RegSetValueExW(sectionKey.get(), key.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  if (status != ERROR_SUCCESS) RaiseWin32Error(static_cast<DWORD>(status), kSettingsError);
}

void DeleteSetting(const std::wstring& application, const std::wstring& section, const std::wstring& key) {
  const LSTATUS status = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), key.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    RaiseWin32Error(static_cast<DWORD>(status), kSettingsError);
  }
}

void DeleteSettingSection(const std::wstring& application, const std::wstring& section) {
  const LSTATUS status =
      ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionPath(application, section).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    RaiseWin32Error(static_cast<DWORD>(status), kSettingsError);
  }
}

}  // namespace pixkeeper::win32
