#pragma once
// The process and its surroundings: clock, command line, program folder,
// screen, and ending the program.

#include <string>
#include <string_view>

#include "base/FormatText.h"
#include "platform/Platform.h"

namespace pixkeeper::win32 {

LocalDate CurrentDate();
LocalTime CurrentTime();

// The arguments of a command line: what follows the program's own name
// (quoted or not) and the blanks after it.
std::wstring ArgumentsAfterProgramName(std::wstring_view commandLine);
std::wstring CommandLineText();

// The folder part of a file path: no trailing "\" except at a drive root.
std::wstring FolderOfPath(const std::wstring& filePath);
std::wstring ProgramDirectory();
std::wstring ProgramPath();

// The user's Pictures folder (the known folder), ending with "\\".
std::wstring PicturesFolder();

ScreenTwips ScreenSize();

// Destroys every window of the calling thread without asking it, then ends
// the process.
[[noreturn]] void EndProgram();

}  // namespace pixkeeper::win32
