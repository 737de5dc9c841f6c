#include "capture/SaveFolders.h"

#include <cwchar>

#include "base/Texts.h"

namespace pixkeeper {

namespace {

// Names that Windows keeps for devices, in any case, are no folder names.
bool IsDeviceName(const std::wstring& name) {
  std::wstring upper = name;
  for (wchar_t& c : upper) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
    if (upper == device) return true;
  }
  return upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
         upper[3] >= L'1' && upper[3] <= L'9';
}

}  // namespace

std::wstring ProgramFolderName(const std::wstring& executable, bool fromHostDesktop) {
  if (fromHostDesktop) return L"Linux";
  const std::size_t separator = executable.find_last_of(L"\\/");
  std::wstring name = executable.substr(separator == std::wstring::npos ? 0 : separator + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  for (wchar_t& c : name) {
    if (c < 0x20 || std::wcschr(L"<>:\"/\\|?*", c) != nullptr) c = L'_';
  }
  // Windows drops trailing dots and blanks from folder names; a name of
  // nothing but those would be no folder at all.
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  if (name.empty()) return Text(TextId::kOtherProgramFolder);
  return IsDeviceName(name) ? name + L"_" : name;
}

std::wstring DayFolderName(const LocalDate& date) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::wstring SubFolders(bool byProgram, const std::wstring& program, bool byDay, const LocalDate& date) {
  std::wstring folders;
  if (byProgram) folders += program + L"\\";
  if (byDay) folders += DayFolderName(date) + L"\\";
  return folders;
}

}  // namespace pixkeeper
