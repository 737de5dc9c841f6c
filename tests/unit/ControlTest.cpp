// Control without the window: the pause, starting with Windows, opening the
// save folder, the notification-area icon's notices and paused picture.

#include <gtest/gtest.h>

#include "capture/ClipboardWatch.h"
#include "fakes/FakePlatform.h"
#include "settings/StartWithWindows.h"
#include "support/TestPictures.h"
#include "ui/OpenSaveFolder.h"
#include "ui/PauseMark.h"
#include "ui/TrayTip.h"

namespace pixkeeper {

const std::vector<std::uint8_t> kPicture = testing::MakeTestPicture("rgb24", 2, 2).dib, kRed = testing::MakeTestPicture("pal8", 3, 1).dib;

const std::wstring kRunValue = L"Microsoft\\Windows\\CurrentVersion\\Run\\Pixkeeper";
std::wstring RunValueOf(const FakePlatform& p) { return p.settings.count(kRunValue) ? p.settings.at(kRunValue) : L"(none)"; }

struct Control : FakeProgram, ::testing::Test {
  Control() {
    state.BaseDir = L"C:\\Shots\\", state.FilePrefix = L"BMP", state.NamingScheme = 1, state.NextViewer = 0x200;
    platform.onClipboardChange = [this] { HookProc(program, kMainWindow, window_message::kDrawClipboard, 0, 0); };
  }
};

// Paused, a picture is not even looked at: it stays, no file, no number
// used, and the chain still hears of it. Resuming passes over the picture
// present; the next one is saved with the next number. A capture queued
// before the pause and taken up during it saves nothing either, and a pause
// wins over a resume queued before it.
TEST_F(Control, PauseAndResume) {
  queue.Pause(), platform.log.clear(), platform.Put({8}, kPicture);
  EXPECT_EQ(platform.log, "send,200,308,0,0 call,0,100,308,0,0");
  EXPECT_EQ(std::make_tuple(queue.Paused(), platform.files.size(), platform.clipboardFormats.size(), int{state.PresentValue}),
            std::make_tuple(true, 0u, 1u, 0));
  queue.Resume(), queue.Notice();
  EXPECT_EQ(std::make_tuple(queue.Paused(), platform.files.size(), platform.clipboardFormats.size()), std::make_tuple(false, 0u, 1u));
  platform.Put({8}, kPicture);
  EXPECT_EQ(std::make_tuple(platform.files.count(L"C:\\Shots\\BMP0000.BMP"), platform.clipboardFormats.size()), std::make_tuple(1u, 0u));
  worker.held = true, platform.Put({8}, kPicture), queue.Pause(), worker.Release();
  EXPECT_EQ(std::make_tuple(platform.files.size(), platform.clipboardFormats.size(), int{state.PresentValue}), std::make_tuple(1u, 1u, 1));
  queue.Resume(), queue.Resume();  // a second resume passes nothing new over
  EXPECT_EQ((platform.Put({8}, kPicture), platform.files.count(L"C:\\Shots\\BMP0001.BMP")), 1u);
  // Paused and resumed while the worker is busy: the round queued before
  // saves nothing, the picture put while paused neither; the next one is.
  worker.held = true, platform.Put({8}, kRed), queue.Pause(), platform.Put({8}, kRed), queue.Resume();
  platform.Put({8}, kPicture), worker.Release();
  EXPECT_EQ(std::make_tuple(platform.files.size(), platform.files.count(L"C:\\Shots\\BMP0002.BMP"), platform.clipboardFormats.size()), std::make_tuple(3u, 1u, 0u));
  // A pause wins over a resume still queued before it: nothing is saved
  // until capturing resumes again.
  queue.Pause(), worker.held = true, queue.Resume(), platform.Put({8}, kRed), queue.Pause(), worker.Release();
  EXPECT_EQ(std::make_tuple(platform.files.size(), queue.Paused()), std::make_tuple(3u, true));
  queue.Resume(), platform.Put({8}, kPicture);
  EXPECT_EQ(platform.files.count(L"C:\\Shots\\BMP0003.BMP"), 1u);
}

// The mark shows whether the value is there, whichever copy it names; the
// choice removes this copy's value and writes this copy's quoted path over
// anything else. A failure is said and leaves the mark as the registry is.
TEST_F(Control, StartWithWindows) {
  const std::wstring self = L"\"C:\\Tools\\Pixkeeper.exe\"";
  // The value stored (none: absent), the mark at start, removed by the choice.
  for (auto [stored, marked, removed] : {std::tuple<const wchar_t*, bool, bool>{nullptr, false, false}, {L"", false, false},
           {L"  ", false, false}, {self.c_str(), true, true}, {L"c:\\tools\\PIXKEEPER.EXE", true, true},
           {L"\"C:\\Tools\\Pixkeeper.exe\" /min", true, true}, {L"C:\\Old\\Pixkeeper.exe", true, false},
           {L"\"C:\\Tools\\Pixkeeper.exe.bak\"", true, false}, {L"\"C:\\Tools", true, false}}) {
    FakeProgram fake;
    if (stored) fake.platform.settings[kRunValue] = stored;
    EXPECT_EQ(StartsWithWindows(fake.platform), marked) << stored;
    ChooseStartWithWindows(fake.program);
    EXPECT_EQ(RunValueOf(fake.platform), removed ? L"(none)" : self) << stored;
    EXPECT_EQ(std::make_tuple(fake.platform.checks[OptionItem::StartWithWindows], fake.platform.status), std::make_tuple(!removed, std::wstring()));
  }
  EXPECT_TRUE(CommandRuns(L"C:\\Program Files\\Pixkeeper\\Pixkeeper.exe", L"C:\\Program Files\\Pixkeeper\\Pixkeeper.exe"));
  platform.programPath = L"C:\\Program Files\\Pixkeeper.exe", platform.settingWriteError = 5;
  ChooseStartWithWindows(program);
  EXPECT_EQ(std::make_tuple(RunValueOf(platform), platform.checks[OptionItem::StartWithWindows]), std::make_tuple(std::wstring(L"(none)"), false));
  EXPECT_EQ(platform.status.rfind(L"Windows の起動時に開始する設定を変更できませんでした (", 0), 0u);
}

// The folder opens, a drive's root as it is; when the shell refuses, the
// status line says so with the path (a folder that has gone: end to end).
TEST_F(Control, OpenSaveFolder) {
  for (auto [folder, exists, error, log, status] : {
           std::tuple<const wchar_t*, bool, int, const char*, const wchar_t*>{L"C:\\Shots\\", true, 0, "open:C:\\Shots", L""},
           {L"C:\\", true, 0, "open:C:\\", L""},
           {L"C:\\Shots\\", true, 76, "open:C:\\Shots", L"保存先を開けませんでした: C:\\Shots\\ (パスが見つかりません。)"}}) {
    platform.log.clear(), platform.status.clear(), platform.folders.clear();
    state.BaseDir = folder, platform.openError = error;
    if (exists) platform.folders.insert(folder);
    OpenSaveFolder(program);
    EXPECT_EQ(std::make_tuple(platform.log, platform.status), std::make_tuple(std::string(log), std::wstring(status)));
  }
}

// Version 4 reports a right click twice (button up, then the menu notice):
// one menu. Without it, the button up is the only one.
TEST(Tray, Notices) {
  using A = TrayAction;
  for (auto [notice, version4, action] : {std::tuple<unsigned, bool, A>{0x7B, true, A::kShowMenu}, {0x205, true, A::kNone},
           {0x205, false, A::kShowMenu}, {0x7B, false, A::kNone}, {0x203, true, A::kShowWindow}, {0x203, false, A::kShowWindow},
           {0x401, true, A::kShowWindow}, {0x400, true, A::kNone}, {0x201, true, A::kNone}, {0x202, false, A::kNone}}) {
    EXPECT_EQ(TrayActionFor(notice, version4), action) << std::hex << notice << " " << version4;
  }
}

// The mark fills the lower right quarter: two dark bars on a white square,
// drawn at 16 pixels as below and scaled at the other small-icon sizes; the
// rest of the icon is untouched. An icon without alpha takes it from its mask.
TEST(Tray, PausedIcon) {
  for (auto [size, row] : {std::pair<int, const char*>{16, "-##--##-"}, {24, "-###----###-"}, {32, "--####----####--"}}) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size * size), 0x80123456);
    DrawPauseMark(pixels, size);
    std::string shown;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const int x = static_cast<int>(i) % size, y = static_cast<int>(i) / size;
      EXPECT_TRUE((x >= size / 2 && y >= size / 2) || pixels[i] == 0x80123456u) << size << " at " << i;
      if (x >= size / 2 && y == size * 3 / 4) shown += pixels[i] == 0xFF202020 ? '#' : pixels[i] == 0xFFFFFFFF ? '-' : '?';
    }
    EXPECT_EQ(shown, row) << size;
  }
  std::vector<std::uint32_t> pixels{0x00FF0000, 0x0000FF00}, alpha{0x00FF0000, 0x800000FF};
  AlphaFromMask(pixels, {0x000000, 0xFFFFFF}), AlphaFromMask(alpha, {0xFFFFFF, 0xFFFFFF});
  EXPECT_EQ(std::make_pair(pixels, alpha), std::make_pair(std::vector<std::uint32_t>{0xFFFF0000, 0}, std::vector<std::uint32_t>{0x00FF0000, 0x800000FF}));
}

}  // namespace pixkeeper
