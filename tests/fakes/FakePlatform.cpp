#include "fakes/FakePlatform.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/RuntimeError.h"

namespace pixkeeper {

namespace {

const wchar_t kApplication[] = L"PIXKEEPER";
const wchar_t kSection[] = L"CONFIG";

// Log lines are narrow; keys and names in them are ASCII.
std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return out;
}

std::string Hex(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", value);
  return buffer;
}

const char* ItemName(OptionItem item) {
  switch (item) {
    case OptionItem::StartPosition: return "StartPos";
    case OptionItem::StartMode: return "StartMode";
    case OptionItem::ViewMode: return "ViewMode";
  }
  return "?";
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Keeps the borrowed bytes alive and counts the pictures that hold them.
class FakeLease final : public PictureLease {
 public:
  FakeLease(std::shared_ptr<const std::vector<std::uint8_t>> bytes, std::shared_ptr<int> count)
      : bytes_(std::move(bytes)), count_(std::move(count)) {
    ++*count_;
  }
  ~FakeLease() override { --*count_; }

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
  std::shared_ptr<int> count_;
};

}  // namespace

std::vector<std::uint8_t> TinyDib(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::vector<std::uint8_t> dib(40 + 4, 0);  // header, one pixel padded to 4 bytes
  PutLe32(dib, 0, 40);                       // biSize
  PutLe32(dib, 4, 1);                        // biWidth
  PutLe32(dib, 8, 1);                        // biHeight
  dib[12] = 1;                               // biPlanes
  dib[14] = 24;                              // biBitCount
  PutLe32(dib, 20, 4);                       // biSizeImage
  dib[40] = blue;
  dib[41] = green;
  dib[42] = red;
  return dib;
}

SaveDialogScript SaveDialogScript::Choose(std::wstring fullPath, std::wstring fileName) {
  SaveDialogScript script;
  script.outcome = Outcome::Choose;
  script.fullPath = std::move(fullPath);
  script.fileName = std::move(fileName);
  return script;
}

SaveDialogScript SaveDialogScript::Cancel() { return SaveDialogScript{}; }

SaveDialogScript SaveDialogScript::Fail(int errorNumber) {
  SaveDialogScript script;
  script.outcome = Outcome::Fail;
  script.errorNumber = errorNumber;
  return script;
}

FakePlatform::FakePlatform() : openLeases_(std::make_shared<int>(0)) {}
FakePlatform::~FakePlatform() = default;

// ---- Clipboard

void FakePlatform::PutPicture(std::vector<std::uint8_t> dib, std::set<int> formats) {
  ReplaceClipboard(std::move(formats), std::move(dib), std::wstring());
}

void FakePlatform::PutText(const std::wstring& text) {
  ReplaceClipboard({clipboard_format::kText}, {}, text);
}

void FakePlatform::PutTextAndPicture(const std::wstring& text, std::vector<std::uint8_t> dib) {
  ReplaceClipboard({clipboard_format::kText, clipboard_format::kBitmap, clipboard_format::kDib},
                   std::move(dib), text);
}

void FakePlatform::EmptyClipboard() { ReplaceClipboard({}, {}, std::wstring()); }

bool FakePlatform::ClipboardHeldOpen() const { return *openLeases_ > 0; }

void FakePlatform::ReplaceClipboard(std::set<int> formats, std::vector<std::uint8_t> dib,
                                    std::wstring text) {
  clipboardFormats = std::move(formats);
  clipboardDib = std::move(dib);
  clipboardText = std::move(text);
  ClipboardChanged();
}

void FakePlatform::ClipboardChanged() {
  if (ClipboardHeldOpen()) ++changesWhileHeldOpen;
  ++clipboardSequence;
  if (onClipboardChange) onClipboardChange();
}

void FakePlatform::RequireClipboard() {
  if (clipboardLocked) throw RuntimeError(error::kCannotOpenClipboard);
}

bool FakePlatform::ClipboardHasFormat(int format) {
  Log("ClipboardHasFormat(" + std::to_string(format) + ")");
  RequireClipboard();
  return clipboardFormats.count(format) != 0;
}

ClipboardPicture FakePlatform::ClipboardGetPicture(int format) {
  Log("ClipboardGetPicture(" + std::to_string(format) + ")");
  RequireClipboard();
  if (clipboardFormats.count(format) == 0) throw RuntimeError(error::kInvalidPicture);
  ClipboardPicture taken;
  taken.sequence = clipboardSequence;
  if (borrowPictures) {
    clipboardBytes_ = std::make_shared<const std::vector<std::uint8_t>>(clipboardDib);
    taken.picture = Picture::Borrow(clipboardBytes_->data(), clipboardBytes_->size(),
                                    std::make_unique<FakeLease>(clipboardBytes_, openLeases_));
  } else {
    taken.picture = Picture::Own(clipboardDib);
  }
  return taken;
}

void FakePlatform::ClipboardSetText(const std::wstring& text) {
  Log("ClipboardSetText");
  RequireClipboard();
  ReplaceClipboard({clipboard_format::kText}, {}, text);
}

void FakePlatform::ClipboardClear() {
  Log("ClipboardClear");
  RequireClipboard();
  ReplaceClipboard({}, {}, std::wstring());
}

bool FakePlatform::ClipboardClearIfUnchanged(std::uint32_t sequence) {
  Log("ClipboardClearIfUnchanged");
  RequireClipboard();
  if (sequence != clipboardSequence) return false;
  ReplaceClipboard({}, {}, std::wstring());
  return true;
}

// ---- Files

void FakePlatform::SaveBitmapFile(const Picture& picture, const std::wstring& path) {
  Log("SaveBitmapFile");
  if (picture.empty()) throw RuntimeError(error::kInvalidPicture);
  const auto failing = failingWrites.find(path);
  if (failing != failingWrites.end()) throw RuntimeError(failing->second);
  const std::size_t slash = path.find_last_of(L'\\');
  const std::wstring directory = slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
  if (missingDirectories.count(directory) != 0) throw RuntimeError(error::kPathNotFound);
  // A path that ends in "\" names a directory, not a file.
  if (slash + 1 == path.size()) throw RuntimeError(error::kPathFileAccess);
  files[path].assign(picture.data(), picture.data() + picture.layout().totalSize);
  writtenPaths.push_back(path);
}

Picture FakePlatform::LoadPictureFile(const std::wstring& path) {
  Log("LoadPictureFile");
  if (path.empty()) return Picture();
  const auto file = files.find(path);
  if (file == files.end()) throw RuntimeError(error::kFileNotFound);
  return Picture::Own(file->second);
}

bool FakePlatform::FileExists(const std::wstring& path) {
  Log("FileExists");
  return files.count(path) != 0;
}

// ---- Settings

void FakePlatform::Store(const std::wstring& key, const std::wstring& text) {
  settings[{kApplication, kSection, key}] = text;
}

std::optional<std::wstring> FakePlatform::Stored(const std::wstring& key) const {
  const auto found = settings.find({kApplication, kSection, key});
  if (found == settings.end()) return std::nullopt;
  return found->second;
}

std::wstring FakePlatform::ReadSetting(const std::wstring& application, const std::wstring& section,
                                       const std::wstring& key, const std::wstring& defaultText) {
  Log("ReadSetting(" + Narrow(key) + ")");
  const auto found = settings.find({application, section, key});
  return found == settings.end() ? defaultText : found->second;
}

void FakePlatform::WriteSetting(const std::wstring& application, const std::wstring& section,
                                const std::wstring& key, const std::wstring& text) {
  Log("WriteSetting(" + Narrow(key) + ")");
  if (settingWriteError != 0) throw RuntimeError(settingWriteError);
  settings[{application, section, key}] = text;
  settingWrites.emplace_back(key, text);
}

void FakePlatform::DeleteSettingSection(const std::wstring& application,
                                        const std::wstring& section) {
  Log("DeleteSettingSection");
  for (auto it = settings.begin(); it != settings.end();) {
    if (std::get<0>(it->first) == application && std::get<1>(it->first) == section) {
      it = settings.erase(it);
    } else {
      ++it;
    }
  }
  deletedSections.emplace_back(application, section);
}

// ---- The user

void FakePlatform::ShowMessage(const std::wstring& text, int style,
                               const std::optional<std::wstring>& title) {
  Log("ShowMessage");
  messages.push_back({text, style, title});
}

void FakePlatform::SoundBeep() {
  Log("SoundBeep");
  ++beeps;
}

SaveDialogChoice FakePlatform::ShowSaveDialog(const SaveDialogRequest& request) {
  Log("ShowSaveDialog");
  saveDialogs.push_back({request, ClipboardHeldOpen()});
  SaveDialogScript script;
  if (!saveDialogScripts.empty()) {
    script = std::move(saveDialogScripts.front());
    saveDialogScripts.pop_front();
  }
  if (script.whileOpen) script.whileOpen();
  switch (script.outcome) {
    case SaveDialogScript::Outcome::Choose:
      return {script.fullPath, script.fileName};
    case SaveDialogScript::Outcome::Fail:
      throw RuntimeError(script.errorNumber);
    case SaveDialogScript::Outcome::Cancel:
      break;
  }
  throw RuntimeError(error::kDialogCancelled);
}

// ---- Environment

LocalDate FakePlatform::CurrentDate() {
  Log("CurrentDate");
  return date;
}

LocalTime FakePlatform::CurrentTime() {
  Log("CurrentTime");
  return time;
}

std::wstring FakePlatform::CommandLineText() {
  Log("CommandLineText");
  return commandLine;
}

std::wstring FakePlatform::ProgramDirectory() {
  Log("ProgramDirectory");
  return programDirectory;
}

ScreenTwips FakePlatform::ScreenSize() {
  Log("ScreenSize");
  return screen;
}

void FakePlatform::EndProgram() {
  Log("EndProgram");
  programEnded = true;
  throw ProgramEnded{};
}

// ---- Windows functions

WindowHandle FakePlatform::SetClipboardViewer(WindowHandle window) {
  Log("SetClipboardViewer");
  viewersJoined.push_back(window);
  return nextViewerOnJoin;
}

void FakePlatform::ChangeClipboardChain(WindowHandle window, WindowHandle next) {
  Log("ChangeClipboardChain");
  chainChanges.emplace_back(window, next);
}

WindowProcedure FakePlatform::SetWindowProcedure(WindowHandle window, WindowProcedure procedure) {
  Log("SetWindowProcedure");
  const auto found = windowProcedures.find(window);
  const WindowProcedure previous = found == windowProcedures.end() ? kOriginalProcedure
                                                                   : found->second;
  windowProcedures[window] = procedure;
  return previous;
}

WindowProcedure FakePlatform::HookProcedure() { return kHookProcedure; }

std::intptr_t FakePlatform::CallWindowProcedure(WindowProcedure procedure, WindowHandle window,
                                                unsigned message, std::uintptr_t wParam,
                                                std::intptr_t lParam) {
  Log("CallWindowProcedure(" + Hex(message) + ")");
  const WindowProcedureCall call{procedure, window, message, wParam, lParam};
  procedureCalls.push_back(call);
  return onCallWindowProcedure ? onCallWindowProcedure(call) : 0;
}

std::intptr_t FakePlatform::SendWindowMessage(WindowHandle window, unsigned message,
                                              std::uintptr_t wParam, std::intptr_t lParam) {
  Log("SendWindowMessage(" + Hex(message) + ")");
  sentMessages.push_back({window, message, wParam, lParam});
  return sendMessageResult;
}

bool FakePlatform::WindowWithTitleExists(const std::wstring& title) {
  Log("WindowWithTitleExists");
  return windowTitles.count(title) != 0;
}

void FakePlatform::OpenWithAssociatedApplication(WindowHandle, const std::wstring& path,
                                                 const std::wstring& workingDirectory) {
  Log("OpenWithAssociatedApplication");
  openedFiles.emplace_back(path, workingDirectory);
}

void FakePlatform::Sleep(int milliseconds) {
  Log("Sleep(" + std::to_string(milliseconds) + ")");
  sleeps.push_back(milliseconds);
}

// ---- The call log

void FakePlatform::Log(std::string line) { calls.push_back(std::move(line)); }

int FakePlatform::IndexOfCall(const std::string& line) const {
  const auto found = std::find(calls.begin(), calls.end(), line);
  return found == calls.end() ? -1 : static_cast<int>(found - calls.begin());
}

int FakePlatform::CountCalls(const std::string& line) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), line));
}

// ---- The main window

void FakeMainWindow::AppendToFileList(const std::wstring& path) {
  Log("AppendToFileList");
  fileList.push_back(path);
}

bool FakeMainWindow::IsChecked(OptionItem item) const {
  Log(std::string("IsChecked(") + ItemName(item) + ")");
  const auto found = checks.find(item);
  return found != checks.end() && found->second;
}

void FakeMainWindow::SetChecked(OptionItem item, bool checked) {
  Log(std::string("SetChecked(") + ItemName(item) + "," + (checked ? "1" : "0") + ")");
  checks[item] = checked;
}

void FakeMainWindow::Log(std::string line) const {
  if (log_ != nullptr) log_->push_back(std::move(line));
}

}  // namespace pixkeeper
