#include "ScratchDirectory.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace pixkeeper::test {

namespace {

void RemoveTree(const std::wstring& directory) {
  WIN32_FIND_DATAW entry{};
  HANDLE search = ::FindFirstFileW((directory + L"*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = directory + name;
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + L"\\");
      } else {
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(directory.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory(const std::wstring& name) {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0) throw std::runtime_error("no temporary folder");
  path_ = std::wstring(temp, length) + name + L"-" + std::to_wstring(::GetCurrentProcessId()) +
          L"-" + std::to_wstring(++counter) + L"\\";
  RemoveTree(path_);
  if (!::CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot make directory");
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path_); }

std::vector<std::wstring> ScratchDirectory::FileNames() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry{};
  HANDLE search = ::FindFirstFileW((path_ + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(entry.cFileName);
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  return names;
}

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open file");
  std::vector<std::uint8_t> bytes(::GetFileSize(file, nullptr));
  DWORD read = 0;
  const BOOL ok = bytes.empty() ||
                  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  if (!ok || (!bytes.empty() && read != bytes.size())) throw std::runtime_error("cannot read file");
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create file");
  DWORD written = 0;
  const BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &written, nullptr);
  ::CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write file");
}

void MakeReadOnly(const std::wstring& path) {
  if (!::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) {
    throw std::runtime_error("cannot make file read-only");
  }
}

}  // namespace pixkeeper::test
