#pragma once
// The three naming schemes of captured pictures.

#include <string>

#include "capture/Program.h"

namespace pixkeeper {

// The bare file name for the capture in progress; advances the counters of the
// scheme in force. Raises RuntimeError 6 when a counter overflows.
std::wstring NextFileName(Program& program);
// The same for a file in `folder` (the save directory or a folder below it):
// the save dialog opens there, and the same-second suffixes count per folder.
std::wstring NextFileName(Program& program, const std::wstring& folder);

// The kind of file pictures are written as: the option's mark.
FileFormat SaveFormat(const Program& program);

// The save dialog of the user-input scheme: the name part of the user's
// choice, or "USERINPUT.BMP" (".PNG" for PNG files) when the dialog is
// cancelled. Any other error is shown and ends the program.
std::wstring AskUserFileName(Program& program, const std::wstring& folder);

// The ten-digit "mmddhhmmss" stamp of the current local date and time.
std::wstring CurrentStamp(Platform& platform);

}  // namespace pixkeeper
