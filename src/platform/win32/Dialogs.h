#pragma once
// What the program says to the user: message boxes, the beep and the standard
// save-as dialog.

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace pixkeeper::win32 {

void ShowMessage(const std::wstring& text, int style, const std::optional<std::wstring>& title);
void SoundBeep();

// Raises RuntimeError 32755 when the user cancels.
SaveDialogChoice ShowSaveDialog(const SaveDialogRequest& request);

// "desc|pattern|" pairs as the dialog wants them: each text NUL-terminated and
// the list ended by an empty text.
std::wstring DialogFilter(const std::wstring& barSeparated);

}  // namespace pixkeeper::win32
