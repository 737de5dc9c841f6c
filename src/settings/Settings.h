#pragma once
// The nine persistent settings: loading at start, saving at exit, and the
// "/CLEAR" switch.

#include "capture/Program.h"

namespace pixkeeper {

// Reads all nine keys into AppState and the three option marks. Raises
// RuntimeError 13 or 6 at the first numeric key that cannot be converted.
void LoadSettings(Program& program);

// Writes all nine keys.
void SaveSettings(Program& program);

// True when the command line is the "/CLEAR" switch (whole text, any case).
bool IsClearSwitch(const std::wstring& commandLine);

// With the "/CLEAR" switch: deletes the stored settings and ends the program.
// Otherwise returns and start-up goes on.
void HandleClearSwitch(Platform& platform);

}  // namespace pixkeeper
