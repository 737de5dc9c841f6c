#pragma once
// The program's name as the user sees it in every language: the main window's
// title, which a second copy looks for, and the caption of message boxes given
// no other.

namespace pixkeeper {

inline constexpr wchar_t kProgramTitle[] = L"Pixkeeper";

}  // namespace pixkeeper
