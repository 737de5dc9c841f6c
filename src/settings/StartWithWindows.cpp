#include "settings/StartWithWindows.h"

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "capture/StatusText.h"

namespace pixkeeper {

namespace {

// HKEY_CURRENT_USER\Software\ + application + \ + section.
const wchar_t kRunApplication[] = L"Microsoft\\Windows\\CurrentVersion";
const wchar_t kRunSection[] = L"Run";
const wchar_t kValueName[] = L"Pixkeeper";

std::wstring ReadCommand(Platform& platform) {
  return platform.ReadSetting(kRunApplication, kRunSection, kValueName, L"");
}

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// The program part of a command: inside its quotes, or up to the first blank.
std::wstring ProgramOf(const std::wstring& command) {
  const std::size_t begin = command.find_first_not_of(L" \t");
  if (begin == std::wstring::npos) return {};
  if (command[begin] == L'"') {
    const std::size_t closing = command.find(L'"', begin + 1);
    return command.substr(begin + 1, closing == std::wstring::npos ? std::wstring::npos : closing - begin - 1);
  }
  const std::size_t end = command.find_first_of(L" \t", begin);
  return command.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

}  // namespace

std::wstring StartCommand(const std::wstring& programPath) { return L"\"" + programPath + L"\""; }

bool CommandRuns(const std::wstring& command, const std::wstring& programPath) {
  // An unquoted path with blanks runs as written when nothing follows it.
  return SameIgnoringCase(ProgramOf(command), programPath) || SameIgnoringCase(command, programPath);
}

bool StartsWithWindows(Platform& platform) {
  // A blank value starts nothing.
  return ProgramOf(ReadCommand(platform)).size() > 0;
}

void ChooseStartWithWindows(Program& program) {
  Platform& platform = program.platform;
  const std::wstring self = platform.ProgramPath();
  try {
    if (CommandRuns(ReadCommand(platform), self)) {
      platform.DeleteSetting(kRunApplication, kRunSection, kValueName);
    } else {
      platform.WriteSetting(kRunApplication, kRunSection, kValueName, StartCommand(self));
    }
  } catch (const RuntimeError& error) {
    program.window.ShowStatus(Text(TextId::kStartWithWindowsFailed, {ReasonOf(error)}));
  }
  program.window.SetChecked(OptionItem::StartWithWindows, StartsWithWindows(platform));
}

}  // namespace pixkeeper
