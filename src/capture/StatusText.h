#pragma once
// What the main window's status line says after a step that went wrong.

#include <string>

#include "base/RuntimeError.h"
#include "capture/CaptureQueue.h"

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

// A picture on the clipboard that was not saved before any file was begun:
// why, in the user's words (another program held the clipboard, the picture
// cannot be read or is too large, memory ran out).
std::wstring DroppedText(const RuntimeError& error);

// A listed path could not be put on the clipboard.
std::wstring CopyFailedText(const RuntimeError& error);

}  // namespace pixkeeper
