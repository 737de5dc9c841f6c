#include "ui/StartUp.h"

#include "base/Integer.h"
#include "base/Texts.h"
#include "capture/CaptureQueue.h"
#include "capture/ClipboardWatch.h"
#include "settings/Settings.h"
#include "settings/StartWithWindows.h"

namespace pixkeeper {

Integer InitialPresentValue(const AppState& state) {
  if (state.PresendFlag != 0) return state.PresendValue;
  if (state.StartValue.empty()) return 0;
  return TextToInteger(state.StartValue);
}

void RunLoadStep(Program& program, MainWindowSteps& window) {
  AppState& state = program.state;
  window.SetTitle(kProgramTitle);
  LoadSettings(program);
  // Read afresh at each start: the user may have changed it elsewhere.
  program.window.SetChecked(OptionItem::StartWithWindows, StartsWithWindows(program.platform));
  window.PrepareFnameDialog();
  // Writes cut short at the last end left their temporary files behind.
  program.platform.RemoveLeftoverWrites(state.BaseDir);
  // Whatever the clipboard holds at start is not saved; unless it is to be
  // kept, it is emptied before the first notice is taken up.
  program.capture->PassOverPresent(!program.window.IsChecked(OptionItem::KeepClipboard));
  if (program.window.IsChecked(OptionItem::SavePng)) program.capture->PreparePng();
  state.PresentValue = InitialPresentValue(state);
  if (program.window.IsChecked(OptionItem::StartPosition)) window.CenterOnScreen();
  window.PlaceFileList();
  window.SetMinimised(program.window.IsChecked(OptionItem::StartMode));
  state.MainWindow = window.Handle();
  // Hooked first, so that the first notice of the chain passes the hook too.
  HookWindow(program);
  JoinViewerChain(program);
}

void RunQueryUnload(Program& program) {
  // A capture waiting on another program does not hold up the end; a file
  // being written is finished first.
  program.capture->StopWriting();
  SaveSettings(program);
  LeaveViewerChain(program);
  UnhookWindow(program);
  program.platform.EndProgram();
}

std::wstring StartUpErrorMessage(const RuntimeError& error) {
  return Text(TextId::kStartUpError, {std::to_wstring(error.number()), error.text()});
}

namespace {
std::wstring NamedPictureMessage(TextId firstLine, const std::wstring& path) {
  return Text(TextId::kNamedPicture, {Text(firstLine), path});
}
}  // namespace

std::wstring MissingFileMessage(const std::wstring& path) {
  return NamedPictureMessage(TextId::kPictureMissing, path);
}

std::wstring UnreadablePictureMessage(const std::wstring& path) {
  return NamedPictureMessage(TextId::kPictureUnreadable, path);
}

}  // namespace pixkeeper
