#include "ui/DirectoryLines.h"

#include <algorithm>

namespace pixkeeper {

namespace {

constexpr wchar_t kSeparator = L'\\';
// The open folder and those above it are marked apart from the
// subdirectories, which can be opened.
constexpr wchar_t kAboveMark[] = L"▽";
constexpr wchar_t kOpenMark[] = L"▼";
constexpr wchar_t kBelowMark[] = L"□";

bool IsRootOfDrive(const std::wstring& path) { return path.size() == 3 && path[1] == L':'; }

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  const auto less = [](wchar_t x, wchar_t y) { return UpperLetter(x) < UpperLetter(y); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return false;
  return a < b;  // names that differ only in case keep one order
}

}  // namespace

wchar_t UpperLetter(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
      (c >= 0xFF41 && c <= 0xFF5A)) {
    return static_cast<wchar_t>(c - 0x20);
  }
  if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
  return c;
}

std::wstring ListPathOf(std::wstring path) {
  while (path.size() > 3 && path.back() == kSeparator) path.pop_back();
  if (path.size() == 2 && path[1] == L':') path += kSeparator;
  return path;
}

std::vector<DirectoryLine> DirectoryLines(const std::wstring& openPath,
                                          std::vector<std::wstring> subdirectories) {
  const std::wstring open = ListPathOf(openPath);
  std::vector<DirectoryLine> lines;
  const std::wstring root = open.substr(0, 3);
  lines.push_back({DirectoryLine::Kind::Above, 0, root, root});
  for (size_t start = 3; start < open.size();) {
    size_t end = open.find(kSeparator, start);
    if (end == std::wstring::npos) end = open.size();
    const int level = static_cast<int>(lines.size());
    lines.push_back({DirectoryLine::Kind::Above, level, open.substr(start, end - start),
                     open.substr(0, end)});
    start = end + 1;
  }
  lines.back().kind = DirectoryLine::Kind::Open;

  std::sort(subdirectories.begin(), subdirectories.end(), LessIgnoringCase);
  const std::wstring prefix = IsRootOfDrive(open) ? open : open + kSeparator;
  const int level = lines.back().level + 1;
  for (const std::wstring& name : subdirectories) {
    lines.push_back({DirectoryLine::Kind::Below, level, name, prefix + name});
  }
  return lines;
}

std::wstring LineText(const DirectoryLine& line) {
  const wchar_t* mark = line.kind == DirectoryLine::Kind::Open    ? kOpenMark
                        : line.kind == DirectoryLine::Kind::Above ? kAboveMark
                                                                  : kBelowMark;
  return std::wstring(static_cast<size_t>(line.level * kIndentPerLevel), L' ') + mark + L' ' +
         line.name;
}

}  // namespace pixkeeper
