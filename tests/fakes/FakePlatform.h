#pragma once
// The system and the main window in memory, for the unit tests of the logic.
// A test sets the public fields beforehand; what the logic did is in `log`,
// one word per operation with its arguments, for example
// "has1 get2 save:C:\Shots\BMP0012.BMP load list:C:\Shots\BMP0012.BMP clear beep".
//
// Every clipboard change, whoever makes it, advances the sequence number and
// then runs `onClipboardChange`, so a notice arrives nested inside the call
// that changed the clipboard, as on Windows. Pictures taken off the clipboard
// borrow its bytes; while one is alive the clipboard is held open, and a clear
// or a save dialog then is logged with "(held)".
// EndProgram throws ProgramEnded, which no handler of the logic catches.

#include <charconv>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "capture/CaptureQueue.h"
#include "capture/Program.h"
#include "settings/Settings.h"

namespace pixkeeper {

struct ProgramEnded {};

// What a capture asks the clipboard first: text, the three privacy markers,
// a bitmap.
inline const std::string kAsked = "has1 hasExc hasCli hasCan has2 ";
// ... and asked again once a picture has been read.
inline const std::string kAskedAgain = "has1 hasExc hasCli hasCan";

// The run-time error number that a call raises, or 0 when it returns.
template <typename Call>
int ErrorOf(Call call) try { return call(), 0; } catch (const RuntimeError& e) { return e.number(); }

// Gives the bytes it keeps alive back when the picture is done with them, and counts that.
struct Lease : PictureLease {
  explicit Lease(std::shared_ptr<void> keep, int* releases = nullptr) : keep(std::move(keep)), releases(releases) {}
  ~Lease() override { releases ? void(++*releases) : void(); }
  std::shared_ptr<void> keep;
  int* releases;
};

class FakePlatform final : public Platform, public MainWindowParts {
 public:
  using S = const std::wstring&;
  void Put(std::set<int> formats, std::vector<std::uint8_t> dib = {}) {  // another program copies
    clipboardFormats = std::move(formats), clipboardDib = std::move(dib), ++sequence_;
    if (onClipboardChange) onClipboardChange();
  }
  std::string log;
  std::set<int> clipboardFormats;
  std::vector<std::uint8_t> clipboardDib;  // left empty: the picture is gone when read
  std::map<int, std::vector<std::uint8_t>> formatData;  // the data of a format, where not clipboardDib
  bool hostDesktop = false;                             // the clipboard filled from outside Windows
  std::wstring ownerProgram;                            // the executable of the clipboard's owner
  std::function<void()> onGet;                          // runs as a picture is read
  std::vector<int> formatOrder;                         // how ClipboardFormats lists them
  std::function<void()> onClipboardChange;
  bool clipboardLocked = false;  // every clipboard operation raises 521
  std::map<std::wstring, std::vector<std::uint8_t>> files;
  int settingWriteError = 0;
  std::map<std::wstring, std::wstring> settings;  // "APPLICATION\SECTION\key" -> text
  std::wstring& Setting(S key) { return settings[L"PIXKEEPER\\CONFIG\\" + key]; }
  std::vector<std::wstring> messages;              // "text|title"; the style is logged
  std::function<SaveDialogChoice()> onSaveDialog;  // none: the user cancels
  SaveDialogRequest dialog;
  LocalDate date{2026, 6, 13};
  LocalTime time{14, 25, 30};
  std::map<OptionItem, bool> checks;
  std::wstring status;  // the main window's status line
  std::wstring pictures = L"C:\\Users\\me\\Pictures\\";  // none: the system knows no such folder
  std::uint16_t displayLanguage = 0x0411;  // Japanese
  int mkdirError = 0;
  bool HeldOpen() const { return bytes_.use_count() > 1; }

  bool ClipboardHasFormat(int format) override { return Open("has", format), clipboardFormats.count(format) != 0; }
  // In the order offered: as in formatOrder when it is set, else in number order.
  std::vector<int> ClipboardFormats() override {
    Open("formats");
    return formatOrder.empty() ? std::vector<int>(clipboardFormats.begin(), clipboardFormats.end()) : formatOrder;
  }
  // Registered formats are numbered from 0xC000 in the order first asked for.
  int ClipboardFormatNamed(const std::wstring& name) override {
    return named_.emplace(name, 0xC000 + static_cast<int>(named_.size())).first->second;
  }
  std::optional<std::uint32_t> ClipboardGetNumber(int format) override {
    Open("number", format);
    const auto& data = formatData[format];
    if (!clipboardFormats.count(format) || data.size() < 4) return std::nullopt;
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
  }
  bool ClipboardFilledByHostDesktop() override { return hostDesktop; }
  ClipboardPicture ClipboardGetPicture(int format) override {
    Open("get", format);
    if (onGet) onGet();
    const auto& dib = formatData.count(format) ? formatData[format] : clipboardDib;
    ClipboardPicture taken;
    taken.sequence = sequence_;
    if (dib.empty()) return taken;
    bytes_ = std::make_shared<std::vector<std::uint8_t>>(dib);
    taken.picture = Picture::Borrow(bytes_->data(), bytes_->size(), std::make_unique<Lease>(bytes_));
    return taken;
  }
  std::uint32_t ClipboardSequence() override { return sequence_; }
  std::vector<std::uint8_t> ClipboardGetBytes(int format, std::uint32_t& sequence) override {
    Open("bytes", format);
    sequence = sequence_;
    return clipboardFormats.count(format) ? formatData[format] : std::vector<std::uint8_t>();
  }
  std::wstring ClipboardOwnerProgram() override { return ownerProgram; }
  std::optional<std::uint32_t> ClipboardClearIfUnchanged(std::uint32_t sequence) override {
    Open(std::string(sequence == sequence_ ? "clear" : "keep") + (HeldOpen() ? "(held)" : ""));
    if (sequence != sequence_) return std::nullopt;
    return Put({}), sequence_;
  }
  void SavePictureFile(const Picture& picture, const std::wstring& path, FileFormat format) override {
    Log((format == FileFormat::kPng ? "savepng" : "save") + std::string(HeldOpen() ? "(held):" : ":") + Narrow(path));
    if (path.back() == L'\\') throw RuntimeError(75);  // a directory
    files[path].assign(picture.data(), picture.data() + picture.layout().totalSize);
  }
  void SaveBytesFile(const std::vector<std::uint8_t>& bytes, S path) override {
    Log("savebytes:" + Narrow(path));
    files[path] = bytes;
  }
  Picture LoadPictureFile(S) override { return Log("load"), Picture(); }
  std::vector<std::uint8_t> decodedPng;  // what any PNG bytes decode to; none: they do not
  Picture DecodePng(const std::vector<std::uint8_t>&) override {
    return Log("decode"), decodedPng.empty() ? throw RuntimeError(481) : Picture::Own(decodedPng);
  }
  std::wstring ReadSetting(S app, S section, S key, S defaultText) override {
    const auto found = settings.find(app + L"\\" + section + L"\\" + key);
    return Log("read:" + Narrow(key)), found == settings.end() ? defaultText : found->second;
  }
  void WriteSetting(S app, S section, S key, S text) override {
    Log("write:" + Narrow(key));
    settings[app + L"\\" + section + L"\\" + key] = settingWriteError ? throw RuntimeError(settingWriteError) : text;
  }
  void ShowMessage(S text, int style, const std::optional<std::wstring>& title) override {
    Log("message" + std::to_string(style)), messages.push_back(text + L"|" + title.value_or(L"untitled"));
  }
  SaveDialogChoice ShowSaveDialog(const SaveDialogRequest& request) override {
    Log(HeldOpen() ? "dialog(held)" : "dialog"), dialog = request;
    return onSaveDialog ? onSaveDialog() : throw RuntimeError(error::kDialogCancelled);
  }
  LocalDate CurrentDate() override { return Log("date"), date; }
  LocalTime CurrentTime() override { return Log("time"), time; }
  ScreenTwips ScreenSize() override { return {15360, 11520}; }
  [[noreturn]] void EndProgram() override { Log("end"), throw ProgramEnded{}; }
  // The window procedures and the viewer chain, logged with their arguments in hex; the next viewer is 0x200.
  WindowHandle SetClipboardViewer(WindowHandle window) override { return Log("join" + Hex(window)), 0x200; }
  void ChangeClipboardChain(WindowHandle window, WindowHandle next) override { Log("leave" + Hex(window) + Hex(next)); }
  WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure) override {
    return Log("proc" + Hex(window) + Hex(procedure)), std::exchange(procedure_, procedure);
  }
  WindowProcedure HookProcedure() override { return 0x2000; }
  std::intptr_t CallWindowProcedure(WindowProcedure proc, WindowHandle w, unsigned m, std::uintptr_t wp,
                                    std::intptr_t lp) override {  // a result to pass back
    return Log("call" + Hex(proc) + Hex(w) + Hex(m) + Hex(wp) + Hex(lp)), static_cast<std::intptr_t>(m) * 3 + lp;
  }
  std::intptr_t SendWindowMessage(WindowHandle w, unsigned m, std::uintptr_t wp, std::intptr_t lp) override {
    return Log("send" + Hex(w) + Hex(m) + Hex(wp) + Hex(lp)), 0;
  }
  void SoundBeep() override { Log("beep"); }
  void Sleep(int milliseconds) override { Log("sleep" + std::to_string(milliseconds)); }
  ThumbnailLook look;  // no box: the list shows no small pictures
  void AppendToFileList(S path, const ThumbnailView& small) override {
    Log("list:" + Narrow(path) + (small.empty() ? "" : "+" + std::to_string(small.width) + "x" + std::to_string(small.height)));
    thumbnail.assign(small.pixels, small.pixels + (small.empty() ? 0 : small.bytes()));
  }
  std::vector<std::uint8_t> thumbnail;  // the last entry's small picture
  ThumbnailLook Thumbnails() const override { return look; }
  bool IsChecked(OptionItem item) const override { return checks.count(item) && checks.at(item); }
  void SetChecked(OptionItem item, bool checked) override { checks[item] = checked; }
  void ShowStatus(S text) override { status = text; }
  void Log(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
  // Not used by the logic under test, or not logged.
  void ClipboardSetText(S) override { clipboardLocked ? throw RuntimeError(error::kCannotOpenClipboard) : void(); }
  void DeleteSettingSection(S, S) override {}
  void DeleteSetting(S app, S section, S key) override {
    Log("delete:" + Narrow(key)), settingWriteError ? throw RuntimeError(settingWriteError) : void(settings.erase(app + L"\\" + section + L"\\" + key));
  }
  std::wstring programPath = L"C:\\Tools\\Pixkeeper.exe";
  std::wstring ProgramPath() override { return programPath; }
  std::set<std::wstring> folders;  // the directories that exist
  int openError = 0;
  bool DirectoryExists(S path) override { return folders.count(path) != 0; }
  void OpenFolder(WindowHandle, S path) override { Log("open:" + Narrow(path)), openError ? throw RuntimeError(openError) : void(); }
  void OpenWithAssociatedApplication(WindowHandle, S, S) override {}
  // The files written, and those there before (put into `files` by the test).
  bool FileExists(S path) override { return HeldOpen() ? Log("exists(held)") : void(), files.count(path) != 0; }
  void RemoveLeftoverWrites(S folder) override { Log("sweep:" + Narrow(folder)); }
  void MakeDirectory(S path) override { Log("mkdir:" + Narrow(path)), mkdirError ? throw RuntimeError(mkdirError) : void(); }
  std::wstring PicturesFolder() override { return pictures.empty() ? throw RuntimeError(76) : pictures; }
  std::uint16_t DisplayLanguage() override { return displayLanguage; }
  bool WindowExists(S, S) override { return false; }
  std::wstring CommandLineText() override { return {}; }
  std::wstring ProgramDirectory() override { return {}; }

 private:
  void Open(const std::string& word, int format = -1) {
    std::string name = std::to_string(format);
    for (const auto& known : named_) name = known.second == format ? Narrow(known.first.substr(0, 3)) : name;
    Log(format < 0 ? word : word + name);
    if (clipboardLocked) throw RuntimeError(error::kCannotOpenClipboard);
  }
  static std::string Narrow(S text) { return std::string(text.begin(), text.end()); }  // ASCII paths only
  static std::string Hex(std::uint64_t value) {
    char text[20];
    return "," + std::string(text, std::to_chars(text, text + 20, value, 16).ptr);
  }
  std::shared_ptr<std::vector<std::uint8_t>> bytes_;
  std::map<std::wstring, int> named_;
  std::uint32_t sequence_ = 1;
  WindowProcedure procedure_ = 0x1000;  // the main window's own
};

// The worker thread as a queue run in order, one task at a time: a task
// posted while one runs waits for it, as on the real worker.
struct FakeWorker final : TaskRunner {
  void Post(std::function<void()> task) override {
    tasks.push_back(std::move(task));
    if (running || held) return;
    running = true;
    while (!tasks.empty()) {
      auto next = std::move(tasks.front());
      tasks.erase(tasks.begin());
      next();
    }
    running = false;
  }
  void Release() { held = false, Post([] {}); }  // runs what waited
  std::vector<std::function<void()>> tasks;
  bool running = false, held = false;  // held: tasks wait until released
};

// The window's thread in the same thread: steps run at once; the watchdog is
// kept for the test to run out.
struct FakeWindowThread final : WindowThread {
  void Invoke(const std::function<void()>& step) override { step(); }
  void Post(std::function<void()> step) override { step(); }
  void ArmWatchdog(int milliseconds, std::function<void()> expired) override {
    watchdog = std::move(expired), armedFor = milliseconds;
  }
  void DisarmWatchdog() override { watchdog = nullptr; }
  std::function<void()> watchdog;
  int armedFor = 0;
};

// A program over the fake, with MainWindow set as the load step sets it.
struct FakeProgram {
  static constexpr WindowHandle kMainWindow = 0x100;
  FakeProgram() {
    program.state.MainWindow = kMainWindow, program.capture = &queue;
    program.saveSession = [this] { SaveSettings(program); };
  }
  FakePlatform platform;
  Program program{platform, platform};
  AppState& state = program.state;
  FakeWorker worker;
  FakeWindowThread windowThread;
  CaptureQueue queue{program, worker, windowThread};
};

}  // namespace pixkeeper
