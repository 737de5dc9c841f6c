#include "ui/DirChoice.h"

#include "base/Texts.h"
#include "ui/DirectoryLines.h"

namespace pixkeeper {

namespace {

bool BeginsWithDrive(const std::wstring& path) {
  return path.size() >= 2 && path[1] == L':' && UpperLetter(path[0]) >= L'A' &&
         UpperLetter(path[0]) <= L'Z';
}

}  // namespace

DirOpening ChooseOpening(const std::wstring& baseDir, const std::vector<std::wstring>& fallbackRoots,
                         const std::function<bool(const std::wstring&)>& isDirectory) {
  if (BeginsWithDrive(baseDir) && isDirectory(baseDir)) return {baseDir, false};
  const std::wstring root = baseDir.substr(0, 3);
  if (BeginsWithDrive(root) && root.size() == 3 && root[2] == L'\\' && isDirectory(root)) {
    return {root, true};
  }
  for (const std::wstring& candidate : fallbackRoots) {
    if (isDirectory(candidate)) return {candidate, true};
  }
  return {fallbackRoots.empty() ? std::wstring() : fallbackRoots.front(), true};
}

std::wstring ClosingBaseDir(const std::wstring& openPath) {
  std::wstring text = openPath;
  for (wchar_t& c : text) c = UpperLetter(c);
  if (text.empty() || text.back() != L'\\') text += L'\\';
  return text;
}

std::wstring MissingDirMessage(const std::wstring& baseDir) {
  return Text(TextId::kDirectoryMissing, {baseDir});
}

std::wstring DriveNotReadyMessage(wchar_t letter) {
  return Text(TextId::kDriveNotReady, {std::wstring(1, UpperLetter(letter))});
}

}  // namespace pixkeeper
