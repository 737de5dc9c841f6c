#include "platform/win32/BitmapFile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <new>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "image/Dib.h"
#include "image/Png.h"
#include "platform/win32/Handles.h"
#include "platform/win32/PngDecoder.h"
#include "platform/win32/PngEncoder.h"
#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

namespace {

// One WriteFile takes at most a DWORD of bytes; a picture is written in as few
// calls as that allows.
constexpr std::size_t kLargestWrite = 0x40000000;

// Where the file name begins; "C:name" is a name in drive C's current folder.
std::size_t NameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) return separator + 1;
  return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

constexpr wchar_t kTemporaryPrefix[] = L"~pk";
constexpr wchar_t kTemporaryExtension[] = L".tmp";
constexpr std::size_t kTemporaryDigits = 12;

std::wstring TemporaryName(unsigned attempt) {
  static std::atomic<std::uint32_t> counter{0};
  const std::uint64_t mix = (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32) ^
                            ::GetTickCount64() ^ (static_cast<std::uint64_t>(++counter) << 16) ^
                            attempt;
  wchar_t digits[kTemporaryDigits + 1];
  std::swprintf(digits, kTemporaryDigits + 1, L"%012llx", static_cast<unsigned long long>(mix & 0xFFFFFFFFFFFFull));
  return kTemporaryPrefix + std::wstring(digits) + kTemporaryExtension;
}

// True for the names TemporaryName makes, and no others.
bool IsTemporaryName(const std::wstring& name) {
  const std::wstring prefix = kTemporaryPrefix, extension = kTemporaryExtension;
  if (name.size() != prefix.size() + kTemporaryDigits + extension.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(prefix.size() + kTemporaryDigits, extension.size(), extension) != 0) {
    return false;
  }
  return std::all_of(name.begin() + prefix.size(), name.begin() + prefix.size() + kTemporaryDigits,
                     [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); });
}

[[noreturn]] void RaiseExisting(DWORD code) {
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
    throw RuntimeError(error::kFileExists, ErrorText(error::kFileExists), SystemMessage(code));
  }
  RaiseWin32Error(code, error::kPathFileAccess);
}

// A file that is deleted again unless it is moved to its final name.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::wstring& besidePath) {
    const std::wstring directory = besidePath.substr(0, NameStart(besidePath));
    for (unsigned attempt = 0;; ++attempt) {
      path_ = directory + TemporaryName(attempt);
      handle_.Reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
      if (handle_) return;
      const DWORD code = ::GetLastError();
      if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt >= 100) {
        path_.clear();
        RaiseWin32Error(code, error::kPathFileAccess);
      }
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    handle_.Reset();
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }

  void Write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min(size, kLargestWrite));
      DWORD written = 0;
      if (!::WriteFile(handle_.get(), data, chunk, &written, nullptr)) {
        RaiseLastError(error::kPathFileAccess);
      }
      if (written != chunk) throw RuntimeError(error::kDiskFull);
      data += chunk;
      size -= chunk;
    }
  }

  void MoveTo(const std::wstring& finalPath) {
    // Closing can still report a failed write of cached data.
    if (!::CloseHandle(handle_.Release())) RaiseLastError(error::kPathFileAccess);
    // Never over a file: one made since the name was chosen is kept.
    if (!::MoveFileExW(path_.c_str(), finalPath.c_str(), 0)) RaiseExisting(::GetLastError());
    path_.clear();
  }

 private:
  std::wstring path_;
  FileHandle handle_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
  FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseLastError(error::kPathFileAccess);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) RaiseLastError(error::kPathFileAccess);
  if (size.QuadPart > 0x7FFFFFFF) throw RuntimeError(error::kOutOfMemory);
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    throw RuntimeError(error::kOutOfMemory);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kLargestWrite));
    if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) {
      RaiseLastError(error::kPathFileAccess);
    }
    if (read == 0) break;  // shorter than it was a moment ago
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

// A path that ends in its directory names no file. No file or folder is ever
// replaced; find that out before anything is written.
void CheckWritablePath(const std::wstring& path) {
  if (NameStart(path) == path.size()) throw RuntimeError(error::kPathFileAccess);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw RuntimeError(error::kPathFileAccess);
  RaiseExisting(ERROR_FILE_EXISTS);
}

}  // namespace

void SaveBytesFile(const std::vector<std::uint8_t>& bytes, const std::wstring& path) {
  CheckWritablePath(path);
  TemporaryFile file(path);
  file.Write(bytes.data(), bytes.size());
  file.MoveTo(path);
}

void SavePictureFile(const Picture& picture, const std::wstring& path, FileFormat format) {
  if (picture.empty()) throw RuntimeError(error::kInvalidPicture);
  CheckWritablePath(path);
  if (format == FileFormat::kPng) {
    // Written as it is encoded; a picture that cannot be encoded takes its
    // temporary file with it.
    struct FileSink final : PngSink {
      explicit FileSink(TemporaryFile& file) : file(file) {}
      void Write(const std::uint8_t* data, std::size_t size) override { file.Write(data, size); }
      TemporaryFile& file;
    };
    TemporaryFile file(path);
    FileSink sink(file);
    EncodePng(picture, sink);
    file.MoveTo(path);
    return;
  }
  const auto header = BmpFileHeader(picture.layout());
  TemporaryFile file(path);
  file.Write(header.data(), header.size());
  file.Write(picture.data(), picture.layout().totalSize);
  file.MoveTo(path);
}

Picture LoadPictureFile(const std::wstring& path) {
  if (path.empty()) return Picture();
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  if (IsPng(bytes.data(), bytes.size())) return DecodePng(bytes.data(), bytes.size());
  return Picture::Own(DibFromBmpFile(bytes.data(), bytes.size()));
}

void RemoveLeftoverWrites(const std::wstring& folder) {
  if (folder.empty()) return;
  const std::wstring directory = folder.back() == L'\\' ? folder : folder + L'\\';
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = directory + kTemporaryPrefix + L"*" + kTemporaryExtension;
  const FindHandle search(::FindFirstFileW(pattern.c_str(), &found));
  if (!search) return;
  do {
    // The pattern also matches longer names and, on some file systems, short
    // names of other files: only exact names are ours.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsTemporaryName(found.cFileName)) {
      ::DeleteFileW((directory + found.cFileName).c_str());
    }
  } while (::FindNextFileW(search.get(), &found));
}

bool FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeDirectory(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr)) return;
  const DWORD code = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return;
  }
  RaiseWin32Error(code, error::kPathFileAccess);
}

}  // namespace pixkeeper::win32
