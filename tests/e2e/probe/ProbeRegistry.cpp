// Subcommands that read and write the program's stored settings.

#include <string>
#include <vector>

#include "ProbeCommands.h"
#include "ProbeCommon.h"

namespace pixkeeper::probe {

namespace {

constexpr wchar_t kConfigKey[] = L"Software\\PIXKEEPER\\CONFIG";

class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(HKEY key) : key_(key) {}
  ~RegKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY get() const { return key_; }
  HKEY* out() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

struct StoredValue {
  bool present = false;
  DWORD type = 0;
  std::wstring text;
};

StoredValue ReadValue(HKEY key, const std::wstring& name) {
  StoredValue value;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return value;
  }
  value.present = true;
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
  RegQueryValueExW(key, name.c_str(), nullptr, &value.type,
                   reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
    value.text.assign(buffer.data(), bytes / sizeof(wchar_t));
    while (!value.text.empty() && value.text.back() == L'\0') value.text.pop_back();
  }
  return value;
}

bool OpenConfig(RegKey& key, REGSAM access) {
  return RegOpenKeyExW(HKEY_CURRENT_USER, kConfigKey, 0, access, key.out()) == ERROR_SUCCESS;
}

}  // namespace

// reg-get KEY: the value's text; exit 2 when the key or value is absent.
int CmdRegGet(const Args& args) {
  RegKey key;
  if (!OpenConfig(key, KEY_READ)) return 2;
  StoredValue value = ReadValue(key.get(), args.Positional(0));
  if (!value.present) return 2;
  if (value.type != REG_SZ) {
    PrintError(L"value is of type " + std::to_wstring(value.type));
    return 1;
  }
  Print(value.text);
  return 0;
}

int CmdRegSet(const Args& args) {
  RegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kConfigKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.out(),
                      nullptr) != ERROR_SUCCESS) {
    PrintError(L"cannot create the settings key");
    return 1;
  }
  const std::wstring& text = args.Positional(1);
  LONG result = RegSetValueExW(key.get(), args.Positional(0).c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) PrintError(L"cannot store the value: error " + std::to_wstring(result));
  return result == ERROR_SUCCESS ? 0 : 1;
}

int CmdRegDelete(const Args& args) {
  RegKey key;
  if (!OpenConfig(key, KEY_WRITE)) return 0;
  LONG result = RegDeleteValueW(key.get(), args.Positional(0).c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

// Removes the whole section, as "/CLEAR" does, so a scenario starts clean.
int CmdRegClear(const Args&) {
  LONG result = RegDeleteTreeW(HKEY_CURRENT_USER, kConfigKey);
  if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
    return 0;
  }
  return 1;
}

// reg-dump: "absent", or one "NAME=TEXT" line per value in stored order
// (other types as "NAME:type N").
int CmdRegDump(const Args&) {
  RegKey key;
  if (!OpenConfig(key, KEY_READ)) {
    Print(L"absent");
    return 0;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256] = {};
    DWORD nameLength = 256;
    if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    StoredValue value = ReadValue(key.get(), name);
    if (value.type == REG_SZ) {
      Print(std::wstring(name) + L"=" + value.text);
    } else {
      Print(std::wstring(name) + L":type " + std::to_wstring(value.type));
    }
  }
  return 0;
}

}  // namespace pixkeeper::probe
