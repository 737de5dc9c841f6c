#include "ui/DriveAccess.h"

#include <windows.h>

namespace pixkeeper {

namespace {

// No "insert a disk" box from the system while it lives.
class QuietErrors {
 public:
  QuietErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
  ~QuietErrors() { SetThreadErrorMode(previous_, nullptr); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  DWORD previous_ = 0;
};

std::wstring RootOf(wchar_t letter) { return std::wstring(1, letter) + L":\\"; }

// Paths near the length limit are handed over whole, with the long-path prefix.
std::wstring SystemPath(const std::wstring& path) {
  const bool absolute = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  return absolute && path.size() >= MAX_PATH - 12 ? L"\\\\?\\" + path : path;
}

std::vector<wchar_t> DriveLetters() {
  std::vector<wchar_t> letters;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (1u << i)) != 0) letters.push_back(static_cast<wchar_t>(L'A' + i));
  }
  return letters;
}

bool IsFixed(wchar_t letter) {
  const UINT type = GetDriveTypeW(RootOf(letter).c_str());
  return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

}  // namespace

std::vector<DriveEntry> LogicalDrives() {
  QuietErrors quiet;
  std::vector<DriveEntry> drives;
  for (wchar_t letter : DriveLetters()) {
    DriveEntry entry{letter, std::wstring(1, letter) + L":"};
    wchar_t label[MAX_PATH + 1] = {};
    if (IsFixed(letter) && GetVolumeInformationW(RootOf(letter).c_str(), label, MAX_PATH + 1,
                                                 nullptr, nullptr, nullptr, nullptr, 0) &&
        label[0] != L'\0') {
      entry.text += std::wstring(L" [") + label + L"]";
    }
    drives.push_back(entry);
  }
  return drives;
}

bool DriveReady(wchar_t letter) {
  QuietErrors quiet;
  return GetFileAttributesW(RootOf(letter).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::wstring& path) {
  if (path.empty()) return false;
  QuietErrors quiet;
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring FullPathOf(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

std::vector<std::wstring> VisibleSubdirectories(const std::wstring& directory) {
  if (directory.empty()) return {};
  QuietErrors quiet;
  std::wstring pattern = SystemPath(directory);
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                   FindExSearchLimitToDirectories, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  constexpr DWORD kNotShown = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    const std::wstring name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (found.dwFileAttributes & kNotShown) == 0 && name != L"." && name != L"..") {
      names.push_back(name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::vector<std::wstring> FallbackRoots(Platform& platform) {
  std::vector<std::wstring> roots;
  const std::wstring programDirectory = platform.ProgramDirectory();
  if (programDirectory.size() >= 2 && programDirectory[1] == L':') {
    roots.push_back(programDirectory.substr(0, 2) + L"\\");
  }
  for (wchar_t letter : DriveLetters()) {
    if (IsFixed(letter)) roots.push_back(RootOf(letter));
  }
  return roots;
}

}  // namespace pixkeeper
