#pragma once
// What the main window's status line says after a step that went wrong.

#include <string>

#include "capture/CaptureQueue.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {

// The system's words for a failure, or the error's own text without them.
std::wstring ReasonOf(const RuntimeError& error);

// A file that could not be written: its full path and the system's reason,
// in the user's language where the system gave one.
std::wstring SaveFailedText(const std::wstring& path, const RuntimeError& error);

// The picture was the one saved last, and was not saved again.
std::wstring RepeatedText();

// The program that filled the clipboard did not answer in time.
std::wstring OwnerSilentText(OwnerWait wait);

}  // namespace pixkeeper
