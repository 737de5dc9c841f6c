#pragma once
// A fresh directory under the temporary folder for one test, removed with
// everything in it (read-only files included) when the test ends.

#include <cstdint>
#include <string>
#include <vector>

namespace pixkeeper::test {

class ScratchDirectory {
 public:
  // `name` may hold any characters a directory name allows (Japanese ones too).
  explicit ScratchDirectory(const std::wstring& name = L"pixkeeper-test");
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  ~ScratchDirectory();

  // The directory with a trailing "\".
  const std::wstring& path() const { return path_; }
  // The names of the files in it, in no particular order.
  std::vector<std::wstring> FileNames() const;

 private:
  std::wstring path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
void MakeReadOnly(const std::wstring& path);

}  // namespace pixkeeper::test
