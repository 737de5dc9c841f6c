#pragma once
// Refuses to start a second copy of the program while one is running.

#include <string>

#include "platform/Platform.h"

namespace pixkeeper {

// Returns when no top-level window of the main window's class bears `title`;
// otherwise tells the user and ends the program. The running copy is left
// alone.
void CheckSingleInstance(Platform& platform, const std::wstring& windowClass, const std::wstring& title);

}  // namespace pixkeeper
