#pragma once
// Where an error that no handler traps ends up: at the edge of a window or
// dialog procedure, since no exception may cross into the system.

#include <string>

#include "platform/Platform.h"

namespace pixkeeper {

// Shows `text` in an untitled message box and ends the program.
[[noreturn]] void EndWithError(Platform& platform, const std::wstring& text) noexcept;

// The text for the exception being handled (call from a catch block).
std::wstring CurrentExceptionText() noexcept;

}  // namespace pixkeeper
