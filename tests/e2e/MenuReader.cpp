// Loaded into the running program by the end-to-end driver (a process cannot
// read another's menus): writes the main window's menu bar and any menu open
// on the screen, item by item, into menus.txt beside this DLL, then declines
// to stay loaded, so that the next load reads them again.
//
// One line per item: its command, a tab, "*" when checked, its text; "-" for a
// separator; a pop-up as "[text]" before its items and "[end]" after them.

#include <windows.h>

#include <string>

namespace {

std::wstring ItemsOf(HMENU menu) {
  std::wstring lines;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    item.dwTypeData = text;
    item.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) continue;
    if (item.fType & MFT_SEPARATOR) {
      lines += L"-\n";
    } else if (item.hSubMenu != nullptr) {
      lines += L"[" + std::wstring(text) + L"]\n" + ItemsOf(item.hSubMenu) + L"[end]\n";
    } else {
      lines += std::to_wstring(item.wID) + L"\t" + ((item.fState & MFS_CHECKED) ? L"*" : L"") + text + L"\n";
    }
  }
  return lines;
}

BOOL CALLBACK AddOpenMenu(HWND window, LPARAM lines) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(name) == L"#32768") {
    // Not waiting long: this runs under the loader's lock.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, 0x01E1 /* MN_GETHMENU */, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    const auto menu = reinterpret_cast<HMENU>(answer);
    if (menu != nullptr) *reinterpret_cast<std::wstring*>(lines) += L"[open]\n" + ItemsOf(menu) + L"[end]\n";
  }
  return TRUE;
}

void WriteMenus(HMODULE self) {
  std::wstring lines;
  HWND main = FindWindowW(L"PixkeeperForm1", nullptr);
  DWORD process = 0;
  if (main != nullptr) GetWindowThreadProcessId(main, &process);
  if (process == GetCurrentProcessId() && GetMenu(main) != nullptr) lines += ItemsOf(GetMenu(main));
  EnumWindows(AddOpenMenu, reinterpret_cast<LPARAM>(&lines));

  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring file(path, length);
  file = file.substr(0, file.rfind(L'\\') + 1) + L"menus.txt";
  HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, lines.data(), static_cast<DWORD>(lines.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(out);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  WriteMenus(self);
  return FALSE;
}
