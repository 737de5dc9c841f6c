#pragma once
// An in-memory platform and main window for the unit tests of the portable
// logic. Everything the logic asks of the system is answered from plain
// public fields that a test sets beforehand, and everything the logic does is
// recorded there for the test to check afterwards.
//
// The call log: every platform operation and every FakeMainWindow operation
// appends one line to `FakePlatform::calls`, for example "ClipboardHasFormat(1)",
// "ClipboardGetPicture(8)", "SaveBitmapFile", "AppendToFileList",
// "ClipboardClearIfUnchanged", "SoundBeep", "ShowSaveDialog", "CurrentDate",
// "WriteSetting(BaseDir)", "SetChecked(StartPos,1)", "IsChecked(ViewMode)",
// "SetWindowProcedure", "SetClipboardViewer", "ChangeClipboardChain",
// "CallWindowProcedure(0x308)", "SendWindowMessage(0x30d)", "Sleep(5)",
// "EndProgram". Arguments that the log leaves out (paths, texts, handles) are
// recorded in the typed lists below.
//
// The clipboard: `PutPicture`, `PutText`, `PutTextAndPicture` and
// `EmptyClipboard` change it as another program would; the logic changes it
// through the Platform operations. Every change, whoever makes it, advances
// the sequence number and then runs `onClipboardChange` when set. A test sets
// that callback to deliver the WM_DRAWCLIPBOARD notice (a call of HookProc or
// CaptureClipboard), which then arrives nested inside the call that changed
// the clipboard, as it does on Windows.
//
// Pictures taken off the clipboard borrow its bytes (unless `borrowPictures`
// is false); while one is alive the clipboard counts as held open
// (`ClipboardHeldOpen()`), and a change made meanwhile is counted in
// `changesWhileHeldOpen` (on Windows no other program could have made it).
//
// `EndProgram` throws `ProgramEnded`, which derives neither from RuntimeError
// nor from std::exception, so that no handler of the logic swallows it.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "capture/Program.h"
#include "platform/Picture.h"
#include "platform/Platform.h"

namespace pixkeeper {

// Thrown by FakePlatform::EndProgram.
struct ProgramEnded {};

// A valid packed DIB of one 24-bit pixel (40-byte BITMAPINFOHEADER), for
// tests that need some picture and want to tell pictures apart by colour.
std::vector<std::uint8_t> TinyDib(std::uint8_t red = 0, std::uint8_t green = 0,
                                  std::uint8_t blue = 0);

struct ShownMessage {
  std::wstring text;
  int style = 0;
  std::optional<std::wstring> title;
};

// What the save dialog does when it is shown.
struct SaveDialogScript {
  enum class Outcome { Choose, Cancel, Fail };
  Outcome outcome = Outcome::Cancel;
  std::wstring fullPath;  // Choose: the full path and the name part
  std::wstring fileName;
  int errorNumber = 0;  // Fail: the RuntimeError raised
  // Runs while the dialog is open, before it closes (for example to copy a
  // picture meanwhile).
  std::function<void()> whileOpen;

  static SaveDialogScript Choose(std::wstring fullPath, std::wstring fileName);
  static SaveDialogScript Cancel();
  static SaveDialogScript Fail(int errorNumber);
};

// One opening of the save dialog.
struct OpenedSaveDialog {
  SaveDialogRequest request;
  bool clipboardHeldOpen = false;  // a borrowed picture was alive when it opened
};

struct WindowProcedureCall {
  WindowProcedure procedure = 0;
  WindowHandle window = 0;
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

struct SentMessage {
  WindowHandle window = 0;
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

class FakePlatform final : public Platform {
 public:
  static constexpr WindowProcedure kOriginalProcedure = 0x1000;
  static constexpr WindowProcedure kHookProcedure = 0x2000;

  FakePlatform();
  ~FakePlatform() override;

  // ---- The clipboard, as other programs change it.
  void PutPicture(std::vector<std::uint8_t> dib,
                  std::set<int> formats = {clipboard_format::kBitmap, clipboard_format::kDib});
  void PutText(const std::wstring& text);
  void PutTextAndPicture(const std::wstring& text, std::vector<std::uint8_t> dib);
  void EmptyClipboard();

  std::set<int> clipboardFormats;                    // what is on the clipboard now
  std::vector<std::uint8_t> clipboardDib;            // the picture, when formats 2 or 8 are present
  std::wstring clipboardText;                        // the text, when format 1 is present
  std::uint32_t clipboardSequence = 1;               // advanced by every change
  std::function<void()> onClipboardChange;           // run after every change
  bool borrowPictures = true;                        // hand out borrowed pictures
  bool clipboardLocked = false;                      // every clipboard operation raises 521
  int changesWhileHeldOpen = 0;
  bool ClipboardHeldOpen() const;

  // ---- Files: path -> the DIB bytes written (the BMP file header left out).
  // FileExists and LoadPictureFile look here too; a test may add files.
  std::map<std::wstring, std::vector<std::uint8_t>> files;
  // A write into one of these directories (the path up to its last "\")
  // raises 76.
  std::set<std::wstring> missingDirectories;
  // A write to one of these paths raises the given error number.
  std::map<std::wstring, int> failingWrites;
  std::vector<std::wstring> writtenPaths;  // every successful write, in order

  // ---- Settings: absent keys are not in the map; empty texts are.
  using SettingKey = std::tuple<std::wstring, std::wstring, std::wstring>;
  std::map<SettingKey, std::wstring> settings;
  // The program's own section (PIXKEEPER, CONFIG).
  void Store(const std::wstring& key, const std::wstring& text);
  std::optional<std::wstring> Stored(const std::wstring& key) const;
  std::vector<std::pair<std::wstring, std::wstring>> settingWrites;  // key, text, in order
  int settingWriteError = 0;  // when not 0, every WriteSetting raises this number
  std::vector<std::pair<std::wstring, std::wstring>> deletedSections;  // application, section

  // ---- The user.
  std::vector<ShownMessage> messages;
  int beeps = 0;
  std::deque<SaveDialogScript> saveDialogScripts;  // none left: the dialog is cancelled
  std::vector<OpenedSaveDialog> saveDialogs;

  // ---- Environment.
  LocalDate date{2026, 6, 13};
  LocalTime time{14, 25, 30};
  std::wstring commandLine;
  std::wstring programDirectory = L"C:\\Program Files\\Pixkeeper";
  ScreenTwips screen{15360, 11520};
  bool programEnded = false;

  // ---- Windows functions.
  WindowHandle nextViewerOnJoin = 0;  // what SetClipboardViewer answers
  std::map<WindowHandle, WindowProcedure> windowProcedures;  // unset: kOriginalProcedure
  std::vector<WindowProcedureCall> procedureCalls;
  // What CallWindowProcedure answers; by default 0.
  std::function<std::intptr_t(const WindowProcedureCall&)> onCallWindowProcedure;
  std::vector<SentMessage> sentMessages;
  std::intptr_t sendMessageResult = 0;
  std::vector<std::pair<WindowHandle, WindowHandle>> chainChanges;  // window, next
  std::vector<WindowHandle> viewersJoined;
  std::set<std::wstring> windowTitles;  // top-level windows that exist
  std::vector<std::pair<std::wstring, std::wstring>> openedFiles;  // path, working directory
  std::vector<int> sleeps;

  // ---- The call log.
  std::vector<std::string> calls;
  void Log(std::string line);
  // Position of the first line equal to `line`, or -1.
  int IndexOfCall(const std::string& line) const;
  int CountCalls(const std::string& line) const;

  // ---- Platform.
  bool ClipboardHasFormat(int format) override;
  ClipboardPicture ClipboardGetPicture(int format) override;
  void ClipboardSetText(const std::wstring& text) override;
  void ClipboardClear() override;
  bool ClipboardClearIfUnchanged(std::uint32_t sequence) override;
  void SaveBitmapFile(const Picture& picture, const std::wstring& path) override;
  Picture LoadPictureFile(const std::wstring& path) override;
  bool FileExists(const std::wstring& path) override;
  std::wstring ReadSetting(const std::wstring& application, const std::wstring& section,
                           const std::wstring& key, const std::wstring& defaultText) override;
  void WriteSetting(const std::wstring& application, const std::wstring& section,
                    const std::wstring& key, const std::wstring& text) override;
  void DeleteSettingSection(const std::wstring& application, const std::wstring& section) override;
  void ShowMessage(const std::wstring& text, int style,
                   const std::optional<std::wstring>& title) override;
  void SoundBeep() override;
  SaveDialogChoice ShowSaveDialog(const SaveDialogRequest& request) override;
  LocalDate CurrentDate() override;
  LocalTime CurrentTime() override;
  std::wstring CommandLineText() override;
  std::wstring ProgramDirectory() override;
  ScreenTwips ScreenSize() override;
  [[noreturn]] void EndProgram() override;
  WindowHandle SetClipboardViewer(WindowHandle window) override;
  void ChangeClipboardChain(WindowHandle window, WindowHandle next) override;
  WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure) override;
  WindowProcedure HookProcedure() override;
  std::intptr_t CallWindowProcedure(WindowProcedure procedure, WindowHandle window,
                                    unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
  std::intptr_t SendWindowMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override;
  bool WindowWithTitleExists(const std::wstring& title) override;
  void OpenWithAssociatedApplication(WindowHandle owner, const std::wstring& path,
                                     const std::wstring& workingDirectory) override;
  void Sleep(int milliseconds) override;

 private:
  void RequireClipboard();
  void ClipboardChanged();
  void ReplaceClipboard(std::set<int> formats, std::vector<std::uint8_t> dib, std::wstring text);

  // The bytes a borrowed picture points into stay alive with its lease, even
  // when the clipboard changes meanwhile.
  std::shared_ptr<const std::vector<std::uint8_t>> clipboardBytes_;
  std::shared_ptr<int> openLeases_;
};

// The main window's list and option marks. Its calls go to `log` when given.
class FakeMainWindow final : public MainWindowParts {
 public:
  explicit FakeMainWindow(std::vector<std::string>* log = nullptr) : log_(log) {}

  void AppendToFileList(const std::wstring& path) override;
  bool IsChecked(OptionItem item) const override;
  void SetChecked(OptionItem item, bool checked) override;

  std::vector<std::wstring> fileList;
  std::map<OptionItem, bool> checks;  // an item not in the map is unchecked

 private:
  void Log(std::string line) const;
  std::vector<std::string>* log_;
};

// A Program over a fake platform and a fake main window that share one log,
// with MainWindow already set as the load step would set it.
struct FakeProgram {
  FakeProgram() : window(&platform.calls), program(platform, window) {
    program.state.MainWindow = kMainWindow;
  }

  static constexpr WindowHandle kMainWindow = 0x100;

  FakePlatform platform;
  FakeMainWindow window;
  Program program;
};

}  // namespace pixkeeper
