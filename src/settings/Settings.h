#pragma once
// The fourteen persistent settings: loading at start, saving at exit, and the
// "/CLEAR" switch.

#include "base/Language.h"
#include "capture/Program.h"

namespace pixkeeper {

// Where pictures go when no save directory is stored: the folder
// "Pixkeeper" in the user's Pictures, made when missing.
std::wstring DefaultSaveDirectory(Platform& platform);

// Reads all fourteen keys into AppState and the four option marks. Raises
// RuntimeError 13 or 6 at the first numeric key that cannot be converted.
void LoadSettings(Program& program);

// Writes all fourteen keys.
void SaveSettings(Program& program);

// The language to speak: the stored "Language" value ("ja" or "en") where
// there is one, else Windows' display language. Read, never written.
Language StoredLanguageChoice(Platform& platform);

// True when the command line is the "/CLEAR" switch (whole text, any case).
bool IsClearSwitch(const std::wstring& commandLine);

// With the "/CLEAR" switch: deletes the stored settings and ends the program.
// Otherwise returns and start-up goes on.
void HandleClearSwitch(Platform& platform);

}  // namespace pixkeeper
