#pragma once
// Starting with Windows: the value "Pixkeeper" of the user's Run key holds
// the command the system runs at sign-in. It is the registry's, not one of
// the program's stored settings: the mark is read from there at each start.

#include <string>

#include "capture/Program.h"

namespace pixkeeper {

// The command that starts this copy: its full path in double quotes.
std::wstring StartCommand(const std::wstring& programPath);

// Whether the command runs the program at this path, quoted or not, with or
// without arguments; letters compare in either case, as the file system does.
bool CommandRuns(const std::wstring& command, const std::wstring& programPath);

// True when the value is there, whichever copy of the program it names.
bool StartsWithWindows(Platform& platform);

// The menu item chosen: a value naming this copy is removed; otherwise this
// copy's command is written (over another copy's). The mark follows the
// registry; a failure is said in the status line and changes nothing.
void ChooseStartWithWindows(Program& program);

}  // namespace pixkeeper
