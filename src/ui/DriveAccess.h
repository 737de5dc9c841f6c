#pragma once
// The drives and directories as the save-directory dialog shows them. None of
// these waits on a drive without a medium or lets the system ask for one.

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace pixkeeper {

struct DriveEntry {
  wchar_t letter = L'C';
  std::wstring text;  // "C:", with " [label]" where the label is at hand
};

// The logical drives in letter order; a label only for fixed drives.
std::vector<DriveEntry> LogicalDrives();

// Whether the drive's root can be read (a medium is in it).
bool DriveReady(wchar_t letter);

bool IsDirectory(const std::wstring& path);

// The full path; "D:" alone gives drive D's current directory.
std::wstring FullPathOf(const std::wstring& path);

// The names of the subdirectories of `directory` that are neither hidden
// nor system directories, in the order the system gives them.
std::vector<std::wstring> VisibleSubdirectories(const std::wstring& directory);

// Roots to fall back on: the program's drive, then each fixed drive.
std::vector<std::wstring> FallbackRoots(Platform& platform);

}  // namespace pixkeeper
