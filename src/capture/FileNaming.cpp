#include "capture/FileNaming.h"

#include <optional>

#include "base/Texts.h"
#include "platform/FormatText.h"
#include "platform/Integer.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {

namespace {

constexpr Integer kLastRunningNumber = 9999;
const wchar_t* Extension(const Program& program) {
  return SaveFormat(program) == FileFormat::kPng ? L".PNG" : L".BMP";
}

// Pictures of the same second in the same folder get "-2", "-3", ... so they
// do not replace one another. Only the previous stamp counts: other schemes in
// between leave the count alone.
std::wstring DateTimeName(Program& program, const std::wstring& folder) {
  AppState& state = program.state;
  const std::wstring stamp = CurrentStamp(program.platform);
  std::wstring name;
  if (stamp != state.LastStamp || folder != state.LastStampFolder) {
    state.StampRepeat = 1;
    name = state.FilePrefix + stamp + Extension(program);
  } else {
    state.StampRepeat = AddInteger(state.StampRepeat, 1);
    name = state.FilePrefix + stamp + L"-" + IntegerText(state.StampRepeat) + Extension(program);
  }
  state.LastStamp = stamp;
  state.LastStampFolder = folder;
  return name;
}

// The name takes the number before the increment, so PresentValue always
// names the next file. Past 9999 the numbers start again at 0000.
std::wstring RunningNumberName(Program& program) {
  AppState& state = program.state;
  const std::wstring name = state.FilePrefix + FormatRunningNumber(state.PresentValue) + Extension(program);
  state.PresentValue = AddInteger(state.PresentValue, 1);
  if (state.PresentValue > kLastRunningNumber) state.PresentValue = 0;
  return name;
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

std::wstring NextFileName(Program& program) { return NextFileName(program, program.state.BaseDir); }

std::wstring NextFileName(Program& program, const std::wstring& folder) {
  switch (program.state.NamingScheme) {
    case naming_scheme::kDateTime:
      return DateTimeName(program, folder);
    case naming_scheme::kRunningNumber:
      return RunningNumberName(program);
    case naming_scheme::kUserInput:
      return AskUserFileName(program, folder);
    default:
      // The load step refuses any other scheme; should one slip through, the
      // capture is abandoned rather than writing a file without a name.
      throw RuntimeError(5);
  }
}

std::wstring AskUserFileName(Program& program, const std::wstring& folder) {
  Platform& platform = program.platform;
  int failure = 0;
  try {
    SaveDialogRequest request;
    request.owner = program.state.MainWindow;
    request.initialDirectory = folder;
    request.title = Text(TextId::kSaveDialogTitle);
    const std::wstring bmpFilter = Text(TextId::kBmpFilter) + L"|*.BMP|";
    request.filter = SaveFormat(program) == FileFormat::kPng ? Text(TextId::kPngFilter) + L"|*.PNG|" + bmpFilter
                                                             : bmpFilter;
    request.flags = 4;  // hide the read-only box; no overwrite prompt, no default extension
    const SaveDialogChoice choice = platform.ShowSaveDialog(request);
    // Only the name is used: the file always goes into the folder given.
    return choice.fullPath.empty() ? std::wstring() : choice.fileName;
  } catch (const RuntimeError& e) {
    if (e.number() == error::kDialogCancelled) return std::wstring(L"USERINPUT") + Extension(program);
    failure = e.number();
  }
  platform.ShowMessage(ErrorText(failure), message_style::kPlain, std::nullopt);
  platform.EndProgram();
  return std::wstring();  // not reached: EndProgram does not come back
}

}  // namespace pixkeeper
