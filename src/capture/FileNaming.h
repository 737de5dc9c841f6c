#pragma once
// The three naming schemes of captured pictures.

#include <string>

#include "capture/Program.h"

namespace pixkeeper {

// What a file name follows: the scheme and the kind of file, taken once when
// a capture begins, so that a change of either meanwhile does not give the
// picture a name of another kind.
struct NamingOptions {
  Integer scheme = 0;
  FileFormat format = FileFormat::kBmp;
};

// The scheme and the kind of file as the menu's marks are now.
NamingOptions CurrentNaming(const Program& program);

// The bare name of a file in `folder` (the save directory or a folder below
// it) that does not exist there yet: no picture replaces another. Advances
// the counters of the scheme. The save dialog opens in `folder`, and the
// same-second suffixes count per folder. Raises RuntimeError 6 when a counter
// overflows, kNoFreeName when every name of the scheme is taken.
std::wstring NextFileName(Program& program, const std::wstring& folder, const NamingOptions& naming);
// The same in the save directory, with the options as they are now.
std::wstring NextFileName(Program& program);

// The kind of file pictures are written as: the option's mark.
FileFormat SaveFormat(const Program& program);

// The save dialog of the user-input scheme: the name part of the user's
// choice, or "USERINPUT.BMP" (".PNG" for PNG files) when the dialog is
// cancelled. Any other error is shown and ends the program.
std::wstring AskUserFileName(Program& program, const std::wstring& folder, FileFormat format);

// The ten-digit "mmddhhmmss" stamp of the current local date and time.
std::wstring CurrentStamp(Platform& platform);

}  // namespace pixkeeper
