#pragma once
// The folders below the save directory that the options ask for: one for the
// program that put the picture, one for the day of the save.

#include <string>

#include "base/FormatText.h"

namespace pixkeeper {

// The folder of a program: the file name of its executable without the
// extension, with what a folder name may not hold replaced by "_". Pictures
// from the Linux desktop (through Wine) go into "Linux"; where the program
// cannot be told (`executable` empty), into "その他".
std::wstring ProgramFolderName(const std::wstring& executable, bool fromHostDesktop);

// "yyyy-mm-dd".
std::wstring DayFolderName(const LocalDate& date);

// The folders below the save directory, outermost first, each ending with
// "\": the program's, then the day's; empty when neither is asked for.
std::wstring SubFolders(bool byProgram, const std::wstring& program, bool byDay, const LocalDate& date);

}  // namespace pixkeeper
