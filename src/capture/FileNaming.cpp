#include "capture/FileNaming.h"

#include <optional>

#include "base/FormatText.h"
#include "base/Integer.h"
#include "base/RuntimeError.h"
#include "base/Texts.h"

namespace pixkeeper {

namespace {

constexpr Integer kLastRunningNumber = 9999;
const wchar_t* Extension(FileFormat format) { return format == FileFormat::kPng ? L".PNG" : L".BMP"; }

// `stem` + `extension` where that names no file in `folder`, else the first of
// `stem`-2, -3, ... (from -`repeat` on) that is free; `repeat` is left at the
// suffix used, 1 for none.
std::wstring FreeName(Platform& platform, const std::wstring& folder, const std::wstring& stem,
                      const std::wstring& extension, Integer& repeat) {
  for (;;) {
    const std::wstring name = repeat <= 1 ? stem + extension : stem + L"-" + IntegerText(repeat) + extension;
    if (!platform.FileExists(folder + name)) return name;
    repeat = AddInteger(repeat, 1);
  }
}

// Pictures of the same second in the same folder get "-2", "-3", ... so they
// do not replace one another. Only the previous stamp counts: other schemes in
// between leave the count alone. A stamp recurs a year later, or when the
// clock is put back: a file already there moves the count on too.
std::wstring DateTimeName(Program& program, const std::wstring& folder, FileFormat format) {
  AppState& state = program.state;
  const std::wstring stamp = CurrentStamp(program.platform);
  Integer repeat = 1;
  if (stamp == state.LastStamp && folder == state.LastStampFolder) repeat = AddInteger(state.StampRepeat, 1);
  const std::wstring name = FreeName(program.platform, folder, state.FilePrefix + stamp, Extension(format), repeat);
  state.StampRepeat = repeat;
  state.LastStamp = stamp;
  state.LastStampFolder = folder;
  return name;
}

// The name takes the number before the increment, so PresentValue always
// names the next number to try. Past 9999 the numbers start again at 0000.
// Numbers whose file exists are passed over: the count restarts at each start
// and would otherwise replace the pictures of an earlier session.
std::wstring RunningNumberName(Program& program, const std::wstring& folder, FileFormat format) {
  AppState& state = program.state;
  for (Integer tried = 0; tried <= kLastRunningNumber; ++tried) {
    const std::wstring name = state.FilePrefix + FormatRunningNumber(state.PresentValue) + Extension(format);
    state.PresentValue = AddInteger(state.PresentValue, 1);
    if (state.PresentValue > kLastRunningNumber) state.PresentValue = 0;
    if (!program.platform.FileExists(folder + name)) return name;
  }
  throw RuntimeError(error::kFileExists);
}

// A name the user gave (or the one of a cancelled dialog) that is taken in
// the folder gets a suffix before its extension.
std::wstring UserName(Program& program, const std::wstring& folder, FileFormat format) {
  const std::wstring name = AskUserFileName(program, folder, format);
  if (name.empty()) return name;  // names no file: the write says so
  const std::size_t dot = name.rfind(L'.');
  const std::size_t split = dot == std::wstring::npos || dot == 0 ? name.size() : dot;
  Integer repeat = 1;
  return FreeName(program.platform, folder, name.substr(0, split), name.substr(split), repeat);
}

}  // namespace

std::wstring CurrentStamp(Platform& platform) {
  // Date first, then time: a capture right at midnight may pair the old date
  // with the new time, never the other way round.
  const LocalDate date = platform.CurrentDate();
  const LocalTime time = platform.CurrentTime();
  return FormatMonthDay(date) + FormatHourMinuteSecond(time);
}

FileFormat SaveFormat(const Program& program) {
  return program.window.IsChecked(OptionItem::SavePng) ? FileFormat::kPng : FileFormat::kBmp;
}

NamingOptions CurrentNaming(const Program& program) { return {program.state.NamingScheme, SaveFormat(program)}; }

std::wstring NextFileName(Program& program) {
  return NextFileName(program, program.state.BaseDir, CurrentNaming(program));
}

std::wstring NextFileName(Program& program, const std::wstring& folder, const NamingOptions& naming) {
  switch (naming.scheme) {
    case naming_scheme::kDateTime:
      return DateTimeName(program, folder, naming.format);
    case naming_scheme::kRunningNumber:
      return RunningNumberName(program, folder, naming.format);
    case naming_scheme::kUserInput:
      return UserName(program, folder, naming.format);
    default:
      // The load step refuses any other scheme; should one slip through, the
      // capture is abandoned rather than writing a file without a name.
      throw RuntimeError(5);
  }
}

std::wstring AskUserFileName(Program& program, const std::wstring& folder, FileFormat format) {
  Platform& platform = program.platform;
  int failure = 0;
  try {
    SaveDialogRequest request;
    request.owner = program.state.MainWindow;
    request.initialDirectory = folder;
    request.title = Text(TextId::kSaveDialogTitle);
    const std::wstring bmpFilter = Text(TextId::kBmpFilter) + L"|*.BMP|";
    request.filter = format == FileFormat::kPng ? Text(TextId::kPngFilter) + L"|*.PNG|" + bmpFilter : bmpFilter;
    // Hides the read-only box and asks before a chosen file is replaced; no
    // default extension.
    request.flags = save_dialog_flag::kHideReadOnly | save_dialog_flag::kOverwritePrompt;
    const SaveDialogChoice choice = platform.ShowSaveDialog(request);
    // Only the name is used: the file always goes into the folder given.
    return choice.fullPath.empty() ? std::wstring() : choice.fileName;
  } catch (const RuntimeError& e) {
    if (e.number() == error::kDialogCancelled) return std::wstring(L"USERINPUT") + Extension(format);
    failure = e.number();
  }
  platform.ShowMessage(ErrorText(failure), message_style::kPlain, std::nullopt);
  platform.EndProgram();
  return std::wstring();  // not reached: EndProgram does not come back
}

}  // namespace pixkeeper
