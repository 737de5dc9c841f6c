#pragma once
// The per-user settings store: HKEY_CURRENT_USER\Software\<application>\<section>,
// one REG_SZ value per key.

#include <string>

namespace pixkeeper::win32 {

// The stored text, or `defaultText` when the value (or its key) is absent.
std::wstring ReadSetting(const std::wstring& application, const std::wstring& section,
                         const std::wstring& key, const std::wstring& defaultText);
// Stores the text, creating the key as needed.
void WriteSetting(const std::wstring& application, const std::wstring& section,
                  const std::wstring& key, const std::wstring& text);
// Removes one value; a missing one is no error.
void DeleteSetting(const std::wstring& application, const std::wstring& section, const std::wstring& key);
// Removes the section's key with all its values; a missing key is no error.
void DeleteSettingSection(const std::wstring& application, const std::wstring& section);

}  // namespace pixkeeper::win32
