// Capturing a picture from the clipboard, and the names the files get.

#include "capture/CaptureQueue.h"

#include <gtest/gtest.h>

#include "capture/FileNaming.h"
#include "fakes/FakePlatform.h"
#include "support/TestPictures.h"

namespace pixkeeper {

using Bytes = std::vector<std::uint8_t>;
const Bytes kRed = testing::MakeTestPicture("rgb24", 2, 1).dib, kBlue = testing::MakeTestPicture("pal1", 3, 2).dib;

struct Capture : FakeProgram, ::testing::Test {
  Capture() { state.BaseDir = L"C:\\Shots\\", state.FilePrefix = L"BMP", state.NamingScheme = 1; }
  std::wstring Name(int expectedError = 0) {
    std::wstring name;
    EXPECT_EQ(ErrorOf([&] { name = NextFileName(program); }), expectedError);
    return name;
  }
};

TEST_F(Capture, RunningNumbersAndStamps) {
  for (auto [present, prefix, name, next] : {std::tuple<Integer, const wchar_t*, const wchar_t*, Integer>{
           12, L"BMP", L"BMP0012.BMP", 13}, {0, L"", L"0000.BMP", 1}, {9998, L"B", L"B9998.BMP", 9999},
           {9999, L"B", L"B9999.BMP", 0}, {12345, L"P", L"P12345.BMP", 0}, {-5, L"P", L"P-0005.BMP", -4},
           {32767, L"P", L"", 32767}}) {
    state.PresentValue = present, state.FilePrefix = prefix;
    EXPECT_EQ(Name(*name ? 0 : 6), name);
    EXPECT_EQ(state.PresentValue, next) << present;
  }
  // A stamp repeated right after itself gets -2, -3, ...; other schemes in
  // between leave the count alone.
  state.FilePrefix = L"BMP", state.PresentValue = 7;
  for (auto [stamp, scheme, name] : {std::tuple<const char*, Integer, const wchar_t*>{
           "0613142530", 0, L"BMP0613142530.BMP"}, {"0613142530", 0, L"BMP0613142530-2.BMP"},
           {"0613142530", 1, L"BMP0007.BMP"}, {"0613142530", 0, L"BMP0613142530-3.BMP"},
           {"0613142531", 0, L"BMP0613142531.BMP"}, {"0613142530", 0, L"BMP0613142530.BMP"},
           {"0101000000", 0, L"BMP0101000000.BMP"}}) {
    const auto two = [s = stamp](int at) { return (s[at] - '0') * 10 + s[at + 1] - '0'; };
    platform.date = {2026, two(0), two(2)}, platform.time = {two(4), two(6), two(8)};
    state.NamingScheme = scheme;
    EXPECT_EQ(Name(), name);
  }
  EXPECT_EQ(platform.log.substr(0, 9), "date time");
  state.StampRepeat = 32767;  // a repeat past the range
  Name(6);
  EXPECT_EQ(state.StampRepeat, 32767);
}

TEST_F(Capture, TheSaveDialogGivesTheNamePartOrUserinputOrEndsTheProgram) {
  state.NamingScheme = naming_scheme::kUserInput;
  for (auto [fullPath, fileName, name] : {std::tuple<const wchar_t*, const wchar_t*, const wchar_t*>{
           L"C:\\Shots\\abc", L"abc", L"abc"}, {L"D:\\elsewhere\\x.BMP", L"x.BMP", L"x.BMP"},
           {L"", L"ignored", L""}, {nullptr, nullptr, L"USERINPUT.BMP"}}) {
    platform.onSaveDialog = [path = fullPath, file = fileName]() -> SaveDialogChoice { return {path, file}; };
    if (!fullPath) platform.onSaveDialog = nullptr;  // cancelled
    EXPECT_EQ(Name(), name);
  }
  // Any other failure of the dialog is shown and ends the program, from a capture too.
  platform.onSaveDialog = []() -> SaveDialogChoice { throw RuntimeError(error::kOutOfMemory); };
  platform.Put({2, 8}, kRed);
  platform.log.clear();
  EXPECT_THROW(queue.Notice(), ProgramEnded);
  EXPECT_EQ(std::tie(platform.log, platform.messages),
            std::make_tuple(kAsked + "has17 get2 " + kAskedAgain + " dialog message0 end", std::vector{ErrorText(7) + L"|untitled"}));
}

// One notice with the clipboard in each state: the picture is saved, listed,
// cleared from the clipboard with a beep, or nothing of that happens and the
// clipboard keeps its contents; a file that cannot be written is said in the
// status line.
TEST_F(Capture, OneNotice) {
  // What is asked and read of a bitmap on the clipboard, and what follows a save.
  const std::string read = kAsked + "has17 get2 " + kAskedAgain, saved = " list:C:\\Shots\\BMP0012.BMP clear beep";
  const std::string save = " save:C:\\Shots\\BMP0012.BMP", dialog = " dialog save:C:\\Shots\\";
  const struct {  // named: the save dialog gives a name
    std::string log; std::set<int> formats; Bytes dib; Integer present = 12, next = 12;
    bool locked = false, named = false; Integer scheme = 1; std::wstring status = L"";
  } cases[] = {
      {read + save + saved, {2, 8}, kRed, 12, 13},
      {kAsked + "has8 has17 get8 " + kAskedAgain + save + saved, {8}, kRed, 12, 13},
      // Copied cells bring text and a picture; no picture; another program holds the clipboard; a picture
      // gone when read; no running number left. (A malformed picture and a failed write: end to end.)
      {"has1", {1, 2, 8}, kRed}, {kAsked + "has8 hasPNG", {3}, kRed},
      {"has1", {2, 8}, kRed, 12, 12, true, false, 1, L"ほかのプログラムがクリップボードを使用中のため、画像を保存しませんでした。"},
      {kAsked + "has17 get2", {2, 8}, {}},
      {read, {2, 8}, kRed, 32767, 32767, false, false, 1, L"画像を保存しませんでした (オーバーフローしました。)"},
      // The save dialog cancelled; an empty name leaves only the directory to write to.
      {read + dialog + "USERINPUT.BMP list:C:\\Shots\\USERINPUT.BMP clear beep", {2, 8}, kRed, 12, 12, false, false, 2},
      {read + dialog, {2, 8}, kRed, 12, 12, false, true, 2,
       L"保存できませんでした: C:\\Shots\\ (パス名が無効です。)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    FakeProgram fake;
    fake.state = state;
    fake.state.PresentValue = c.present, fake.state.NamingScheme = c.scheme;
    fake.platform.Put(c.formats, c.dib);
    fake.platform.clipboardLocked = c.locked;
    if (c.named) fake.platform.onSaveDialog = [] { return SaveDialogChoice{L"", L""}; };
    fake.platform.status = L"older";
    fake.queue.Notice();
    const bool wasSaved = c.log.find("beep") != std::string::npos;
    const auto& files = fake.platform.files;
    EXPECT_EQ(fake.platform.log, c.log);
    EXPECT_EQ(std::make_tuple(files.size() == 1 ? files.begin()->second : Bytes(),
                              fake.platform.clipboardFormats.empty(), fake.state.PresentValue),
              std::make_tuple(wasSaved ? c.dib : Bytes(), wasSaved, c.next));
    // The status line is cleared by a save, says why a picture was not saved, else is left.
    EXPECT_EQ(fake.platform.status, wasSaved ? L"" : c.status.empty() ? L"older" : c.status);
    EXPECT_TRUE(!fake.platform.HeldOpen() && fake.platform.messages.empty());
  }
}

// A wait on the clipboard's owner that outlasts the watchdog is given up
// (a picture read late is thrown away: end to end); a clipboard emptied late
// gets no beep, and the status line says so.
TEST_F(Capture, AnOwnerThatDoesNotAnswerIsGivenUp) {
  platform.onClipboardChange = [&] { if (windowThread.watchdog) windowThread.watchdog(); };
  platform.Put({2, 8}, kRed);
  queue.Notice();
  EXPECT_EQ(windowThread.armedFor, 10000);
  EXPECT_EQ(platform.files.size(), 1u);
  EXPECT_EQ(platform.log.substr(platform.log.find("list")), "list:C:\\Shots\\BMP0000.BMP clear");
  EXPECT_EQ(platform.status, L"画像を置いたプログラムが応答しないため、クリップボードを空にできませんでした。");
}

// What the clipboard holds at start is emptied and never saved, even when
// another program keeps it from being emptied; the next picture is saved.
// Once the program ends, no file is begun.
TEST_F(Capture, ThePictureAtStartAndTheEnd) {
  for (bool locked : {false, true}) {
    FakeProgram fake;
    fake.state = state;
    fake.platform.Put({2, 8}, kRed);
    fake.platform.clipboardLocked = locked;
    fake.queue.PassOverPresent(true);
    fake.platform.clipboardLocked = false;
    fake.queue.Notice();
    EXPECT_EQ(std::make_tuple(fake.platform.files.size(), fake.platform.clipboardFormats.empty()),
              std::make_tuple(0u, !locked));
    fake.platform.Put({8}, kBlue);
    fake.queue.Notice();
    EXPECT_EQ(fake.platform.files.size(), 1u);
    fake.queue.StopWriting();
    fake.platform.Put({8}, kRed);
    fake.queue.Notice();
    EXPECT_EQ(fake.platform.files.size(), 1u);
  }
}

// No name of a file already there is given out: running numbers pass over
// taken ones (wrapping, as the count restarts at each start), a stamp or a
// typed name gets the next free suffix; the save dialog asks before the user
// picks an existing file.
TEST_F(Capture, NoFileIsReplaced) {
  const auto taken = [&](std::initializer_list<const wchar_t*> names) {
    platform.files.clear();
    for (const wchar_t* name : names) platform.files[std::wstring(L"C:\\Shots\\") + name];
  };
  taken({L"BMP0012.BMP", L"BMP0013.BMP", L"BMP0015.PNG", L"BMP9999.BMP", L"BMP0000.BMP"});
  for (auto [present, name, next] : {std::tuple<Integer, const wchar_t*, Integer>{12, L"BMP0014.BMP", 15},
           {15, L"BMP0015.BMP", 16}, {9999, L"BMP0001.BMP", 2}}) {
    state.PresentValue = present;
    EXPECT_EQ(std::make_tuple(Name(), state.PresentValue), std::make_tuple(std::wstring(name), next));
  }
  for (int number = 0; number <= 9999; ++number) platform.files[L"C:\\Shots\\BMP" + FormatRunningNumber(number) + L".BMP"];
  EXPECT_EQ(Name(error::kFileExists), L"");

  state.NamingScheme = naming_scheme::kDateTime;
  taken({L"BMP0613142530.BMP", L"BMP0613142530-2.BMP", L"BMP0613142530-4.BMP"});
  for (const wchar_t* name : {L"BMP0613142530-3.BMP", L"BMP0613142530-5.BMP", L"BMP0613142530-6.BMP"}) {
    EXPECT_EQ(Name(), name);
    platform.files[L"C:\\Shots\\" + std::wstring(name)];
  }

  state.NamingScheme = naming_scheme::kUserInput;
  taken({L"abc.BMP", L"abc-2.BMP", L"notes", L".BMP", L"USERINPUT.BMP"});
  for (auto [typed, name] : {std::pair<const wchar_t*, const wchar_t*>{L"abc.BMP", L"abc-3.BMP"},
           {L"notes", L"notes-2"}, {L".BMP", L".BMP-2"}, {L"x.BMP", L"x.BMP"}, {nullptr, L"USERINPUT-2.BMP"}}) {
    platform.onSaveDialog = [file = typed]() -> SaveDialogChoice { return {L"D:\\any", file}; };
    if (!typed) platform.onSaveDialog = nullptr;  // cancelled
    EXPECT_EQ(Name(), name);
  }
  EXPECT_EQ(platform.dialog.flags, save_dialog_flag::kHideReadOnly | save_dialog_flag::kOverwritePrompt);
}

// A picture that is not saved, for whatever reason it could not be had, is
// said in the status line; no message box, and the next save clears it.
TEST_F(Capture, EveryDroppedPictureIsSaid) {
  // (Another program holding the clipboard and a malformed picture: OneNotice.)
  for (auto [error, text] : {std::pair<int, const wchar_t*>{error::kPictureTooLarge, L"画像が大きすぎるため、保存しませんでした。"},
           {0, L"メモリが足りないため、画像を保存しませんでした。"}, {5, L"画像を保存しませんでした (プロシージャの呼び出し、または引数が不正です。)"}}) {
    platform.onGet = [error = error] { error ? throw RuntimeError(error) : throw std::bad_alloc(); };
    platform.Put({2, 8}, kRed);
    queue.Notice();
    EXPECT_EQ(std::make_tuple(platform.status, platform.files.size()), std::make_tuple(std::wstring(text), 0u));
  }
  platform.onGet = nullptr;
  queue.Notice();
  EXPECT_EQ(std::make_tuple(platform.status, platform.files.size(), platform.messages.size()),
            std::make_tuple(std::wstring(), 1u, 0u));
  // A listed path that cannot be put on the clipboard is said too; the program goes on.
  platform.clipboardLocked = true;
  queue.CopyText(L"C:\\Shots\\BMP0000.BMP");
  EXPECT_EQ(platform.status, L"ほかのプログラムがクリップボードを使用中のため、パスをコピーできませんでした。");
}

// Each capture follows the options as they were when it began, whatever is
// chosen while it runs: with the PNG mark set, every scheme writes a PNG file
// under a ".PNG" name; and the clipboard is closed again before the name is
// asked for or any file written, in every scheme and kind of file.
TEST_F(Capture, EachCaptureKeepsItsOptionsAndLetsTheClipboardGo) {
  platform.onClipboardChange = [&] { queue.Notice(); };
  for (Integer scheme : {0, 1, 2}) {
    for (bool png : {false, true}) {
      platform.checks[OptionItem::SavePng] = png, state.NamingScheme = scheme;
      platform.onGet = [&, png] { platform.checks[OptionItem::SavePng] = !png, state.NamingScheme = (scheme + 1) % 3; };
      platform.log.clear();
      platform.Put({2, 8}, kRed);
      const std::string& log = platform.log, name = log.substr(log.find("list:") + 14);
      EXPECT_TRUE(log.find("(held)") == std::string::npos && log.find(png ? "savepng:" : "save:") != std::string::npos &&
                  name.find(png ? ".PNG" : ".BMP") != std::string::npos && (log.find("dialog") != std::string::npos) == (scheme == 2) &&
                  name.find(scheme == 0 ? "BMP0613142530" : scheme == 1 ? "BMP00" : "USERINPUT") == 0) << log;
      if (scheme == 2 && png) {  // the save dialog offers PNG first
        EXPECT_EQ(platform.dialog.filter, L"PNG ファイル (*.PNG)|*.PNG|画像ﾌｧｲﾙ (*.BMP)|*.BMP|");
      }
    }
  }
}

}  // namespace pixkeeper
