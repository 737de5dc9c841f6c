#pragma once
// What the save-directory dialog opens and what it stores: the directory to
// show for a stored save directory, and the save directory its closing writes.

#include <functional>
#include <string>
#include <vector>

namespace pixkeeper {

struct DirOpening {
  std::wstring directory;  // what the directory list opens
  bool warn = false;       // the stored directory cannot be shown: say so once
};

// `baseDir` when it begins with a drive letter and is a directory. Otherwise
// a warning and the root of its drive when that can be shown; failing that,
// the first of `fallbackRoots` (the program's drive, then the fixed drives)
// that is a directory. Every candidate is tried once.
DirOpening ChooseOpening(const std::wstring& baseDir, const std::vector<std::wstring>& fallbackRoots,
                         const std::function<bool(const std::wstring&)>& isDirectory);

// The save directory for the directory open at closing: upper case, one "\"
// at the end.
std::wstring ClosingBaseDir(const std::wstring& openPath);

// The activation's report of a save directory that cannot be shown.
std::wstring MissingDirMessage(const std::wstring& baseDir);

// The report of a picked drive without a medium.
std::wstring DriveNotReadyMessage(wchar_t letter);

}  // namespace pixkeeper
