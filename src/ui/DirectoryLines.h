#pragma once
// The lines of the save-directory dialog's directory list: the open path from
// its drive's root down, each folder one level further in, then the open
// folder's subdirectories one more level in.

#include <string>
#include <vector>

namespace pixkeeper {

struct DirectoryLine {
  enum class Kind { Above, Open, Below };
  Kind kind = Kind::Below;
  int level = 0;         // 0 for the root
  std::wstring name;     // "C:\" for the root, else the folder's own name
  std::wstring path;     // the directory the line stands for, as the list reads it
};

// A directory as the list reads it: a full path that ends with "\" only when
// it is a drive's root ("C:\", "C:\WORK").
std::wstring ListPathOf(std::wstring path);

// `openPath` a full path of a drive ("C:\WORK"); `subdirectories` the names
// of its subdirectories in any order. They come sorted without regard to case.
std::vector<DirectoryLine> DirectoryLines(const std::wstring& openPath,
                                          std::vector<std::wstring> subdirectories);

// The text of a line: its indent (blanks, this many per level), a folder mark
// and its name.
constexpr int kIndentPerLevel = 2;
std::wstring LineText(const DirectoryLine& line);

// The letter without case, for sorting names and upper-casing paths: ASCII,
// Latin-1, Greek, Cyrillic and full-width Latin letters.
wchar_t UpperLetter(wchar_t c);

}  // namespace pixkeeper
