// The windows' portable decisions: start-up and closing, the file-name
// dialog's logic, the save-directory dialog's list and choices, and placement
// in twips.

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "support/TestPictures.h"
#include "ui/DirChoice.h"
#include "ui/DirectoryLines.h"
#include "ui/FnameFields.h"
#include "ui/FormCenter.h"
#include "ui/MainWindowLayout.h"
#include "ui/StartUp.h"

namespace pixkeeper {

// The main window's own steps, the file-name dialog's controls and a window
// to centre, as plain values; the steps are logged with the platform's calls.
struct FakeWindow final : MainWindowSteps, FnameFields, PlacedWindow {
  explicit FakeWindow(FakeProgram& fake) : platform(fake.platform), state(fake.state) {}
  void SetTitle(const std::wstring& text) override { platform.Log("title"), title = text; }
  void PrepareFnameDialog() override { platform.Log("fname"), FillFnameFields(state, *this); }
  void CenterOnScreen() override { platform.Log("centre"); }
  void PlaceFileList() override { platform.Log("place"); }
  void SetMinimised(bool value) override { platform.Log(value ? "minimised" : "normal"); }
  WindowHandle Handle() const override { return 0x4711; }
  void SelectOption(int index) override { option = index, state.NamingScheme = static_cast<Integer>(index); }
  std::wstring PrefixText() const override { return prefix; }
  void SetPrefixText(const std::wstring& text) override { prefix = text; }
  std::wstring StartValueText() const override { return startValue; }
  void SetStartValueText(const std::wstring& text) override { startValue = text; }
  void SetPresentValueText(const std::wstring& text) override { presentValue = text; }
  int KeepValueCheck() const override { return keepValue; }
  void SetKeepValueCheck(int value) override { keepValue = value; }
  double Width() const override { return platform.Log("width"), width; }
  double Height() const override { return platform.Log("height"), height; }
  void SetLeft(float value) override { platform.Log("left"), left = value; }
  void SetTop(float value) override { platform.Log("top"), top = value; }

  FakePlatform& platform;
  AppState& state;
  std::wstring title, prefix, startValue, presentValue;
  int option = -1, keepValue = 0;
  double width = 0, height = 0;
  float left = 0, top = 0;
};

struct Ui : FakeProgram, ::testing::Test { FakeWindow window{*this}; };

// The load step in order, and what the stored values decide at start. The
// picture on the clipboard at start is dropped, not saved; the window is
// hooked before it joins the viewer chain; a value that cannot be used stops
// the start where it is read (the last step logged), before the window is hooked.
TEST(UiStart, TheLoadStep) {
  const std::string reads = "title read:BaseDir mkdir:C:\\Users\\me\\Pictures\\Pixkeeper\\ read:FTYPE read:FNAME read:StartValue read:PresendFlag "
                            "read:PresendValue read:StartPos read:StartMode read:ViewMode read:SaveFormat read:KeepClipboard read:DayFolders read:ProgramFolders read:SkipRepeats read:Thumbnails read:Pixkeeper fname sweep:C:\\Users\\me\\Pictures\\Pixkeeper\\ clear ";
  for (auto [key, text, error, shown, present] :
       {std::tuple<const wchar_t*, const wchar_t*, int, const char*, int>{
           L"FNAME", L"IMG", 0, "centre place normal", 12}, {L"StartPos", L"0", 0, "place normal", 12},
           {L"StartMode", L"-1", 0, "centre place minimised", 12}, {L"PresendFlag", L"1", 0, "centre place normal", 37},
           {L"PresendFlag", L"-1", 0, "centre place normal", 37}, {L"FTYPE", L"abc", 13, "read:FTYPE", 0},
           {L"FTYPE", L"3", 340, "fname", 0}, {L"StartValue", L"x1", 13, "clear", 0},
           {L"StartValue", L"40000", 6, "clear", 0}, {L"PresendValue", L"-40000", 6, "read:PresendValue", 0},
           {L"StartPos", L"", 13, "read:StartPos", 0}, {L"ViewMode", L"40000", 6, "read:ViewMode", 0},
           {L"SaveFormat", L"1.5x", 13, "read:SaveFormat", 0}, {L"PresendFlag", L"x", 13, "read:PresendFlag", 0},
           {L"StartMode", L"40000", 6, "read:StartMode", 0}, {L"StartValue", L"", 0, "centre place normal", 0}}) {
    FakeProgram fake;
    FakeWindow steps(fake);
    fake.platform.Put({8}, testing::MakeTestPicture("rgb24", 1, 1).dib);
    fake.platform.Setting(L"PresendValue") = L"37", fake.platform.Setting(L"StartValue") = L"0012";
    fake.platform.Setting(key) = text;
    EXPECT_EQ(ErrorOf([&] { RunLoadStep(fake.program, steps); }), error);
    const std::string& log = fake.platform.log;
    EXPECT_EQ(error ? log.substr(log.rfind(' ') + 1) : log,
              error ? shown : reads + shown + " proc,4711,2000 sleep5 join,4711 sleep5");
    EXPECT_EQ(std::make_tuple(fake.state.Hooked, int{fake.state.PresentValue}, steps.title),
              std::make_tuple(error == 0, present, L"Pixkeeper"));
    EXPECT_EQ(fake.state.MainWindow, error ? FakeProgram::kMainWindow : 0x4711u);
  }
}

TEST_F(Ui, TheFileNameDialog) {
  for (Integer scheme : {3, -1, 32767}) {
    state.NamingScheme = scheme;
    try { FillFnameFields(state, window), ADD_FAILURE() << scheme; } catch (const RuntimeError& e) {
      EXPECT_EQ(std::make_pair(e.number(), e.text().find(std::to_wstring(scheme)) != std::wstring::npos),
                std::make_pair(340, true));
    }
    EXPECT_EQ(window.option, -1);
  }
  state.NamingScheme = 2, state.FilePrefix = L"IMG", state.StartValue = L"0042";
  for (Integer flag : {-1, 0}) {
    state.PresendFlag = flag;
    FillFnameFields(state, window);
    EXPECT_EQ(std::tie(window.option, window.prefix, window.startValue, window.keepValue),
              std::make_tuple(2, L"IMG", L"0042", flag ? 1 : 0));
  }
  // Return stores the three fields as they stand, and nothing else.
  state.PresentValue = 17, window.prefix = L" a:b ", window.startValue = L"", window.keepValue = 1;
  StoreFnameFields(state, window);
  EXPECT_EQ(std::tie(state.FilePrefix, state.StartValue), std::make_tuple(L" a:b ", L""));
  EXPECT_EQ(std::tie(state.PresendFlag, state.NamingScheme, state.PresentValue), std::make_tuple(1, 2, 17));
  // Reset takes the running number from the box, which becomes 0 without a
  // number; a number past the range is shown and ends the program.
  for (auto [box, boxAfter, present] : {std::tuple{L"0042", L"0042", 42}, {L"", L"0", 0}, {L"ab", L"0", 0},
                                        {L"1 2", L"0", 0}, {L"99999", L"99999", 9}}) {
    state.PresentValue = 9, state.StartValue = L"5", window.startValue = box, window.presentValue = L"";
    platform.log.clear();
    try { ResetRunningNumber(program, window); } catch (const ProgramEnded&) {}  // past the range
    EXPECT_EQ(std::tie(window.startValue, state.PresentValue, state.StartValue, window.presentValue, platform.log),
              std::make_tuple(boxAfter, present, L"5", present == 9 ? L"" : std::to_wstring(present),
                              present == 9 ? "message0 end" : ""));
  }
  EXPECT_EQ(platform.messages, std::vector<std::wstring>{ErrorText(6) + L"|untitled"});
  std::wstring box;  // the keys the start-value box lets through
  for (wchar_t typed : std::wstring(L"1a2-3 .\b\r\x16\x03\x18\x1b\x7f０/:")) {
    if (StartValueKeyPasses(typed)) box += typed;
  }
  EXPECT_EQ(box, L"123\b");
}

TEST_F(Ui, Placement) {
  // Half pixels round away from 0, at any DPI.
  for (auto [twips, dpi, pixels] : {std::tuple{-7.5, 96, -1}, {7.5, 96, 1}, {4935., 120, 411}}) {
    EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
  }
  // Centred a little above the middle of the 15360 x 11520 screen, not
  // clamped; the left edge is set before the height is read.
  for (auto [width, height, left, top] :
       {std::tuple{4800., 3600., 5280.f, 3660.f}, {4801., 11520., 5279.5f, -300.f}, {16360., 3600., -500.f, 3660.f}}) {
    platform.log.clear();
    window.width = width, window.height = height;
    CenterForm(platform, window);
    EXPECT_EQ(std::make_tuple(window.left, window.top, platform.log),
              std::make_tuple(left, top, "width left height top"));
  }
}

// The save-directory dialog's list: the open path from its root down, then
// its subdirectories sorted without regard to case.
TEST(UiDirectories, Lines) {
  for (auto [open, subdirectories, expected] :
       {std::tuple<const wchar_t*, std::vector<std::wstring>, const wchar_t*>{
            L"C:\\WORK\\Sub", {L"zeta", L"Beta", L"alpha"},
            L"▽ C:\\|C:\\,  ▽ WORK|C:\\WORK,    ▼ Sub|C:\\WORK\\Sub,      □ alpha|C:\\WORK\\Sub\\alpha,"
            L"      □ Beta|C:\\WORK\\Sub\\Beta,      □ zeta|C:\\WORK\\Sub\\zeta,"},
        {L"D:\\", {L"b", L"A"}, L"▼ D:\\|D:\\,  □ A|D:\\A,  □ b|D:\\b,"},
        {L"D:\\写真\\\\\\", {}, L"▽ D:\\|D:\\,  ▼ 写真|D:\\写真,"},
        {L"D:", {L"ÿ", L"Ä"}, L"▼ D:\\|D:\\,  □ Ä|D:\\Ä,  □ ÿ|D:\\ÿ,"}}) {
    std::wstring lines;
    for (const DirectoryLine& l : DirectoryLines(open, subdirectories)) lines += LineText(l) + L"|" + l.path + L",";
    EXPECT_EQ(lines, expected);
  }
  // What opens for a stored directory: it, or a root once with a warning,
  // asking no more than the candidates. Drive Q is missing; WORK exists relative to
  // the current directory too.
  const std::set<std::wstring> existing = {L"C:\\", L"C:\\WORK\\", L"c:\\work", L"D:\\", L"WORK", L"\\\\s\\share\\"};
  for (auto [baseDir, roots, directory] : {std::tuple<const wchar_t*, std::vector<std::wstring>, const wchar_t*>{
           L"C:\\WORK\\", {L"D:\\"}, L"C:\\WORK\\"}, {L"c:\\work", {L"D:\\"}, L"c:\\work"},
           {L"C:\\GONE\\", {L"D:\\"}, L"C:\\"}, {L"Q:\\WORK\\", {L"D:\\", L"C:\\"}, L"D:\\"},
           {L"Q:\\WORK\\", {L"Q:\\", L"C:\\"}, L"C:\\"}, {L"WORK", {L"D:\\"}, L"D:\\"},
           {L"\\\\s\\share\\", {L"D:\\"}, L"D:\\"}, {L"", {L"D:\\"}, L"D:\\"}, {L"C:", {L"D:\\"}, L"D:\\"}}) {
    std::size_t asked = 0;
    const DirOpening opening =
        ChooseOpening(baseDir, roots, [&](const std::wstring& path) { return ++asked, existing.count(path) > 0; });
    EXPECT_EQ(std::make_tuple(opening.directory, opening.warn, asked <= 2 + roots.size()),
              std::make_tuple(std::wstring(directory), directory != std::wstring(baseDir), true));
  }
  // Closing stores the open directory in upper case with one final "\\".
  for (auto [open, stored] : {std::pair<std::wstring, std::wstring>{L"c:\\work", L"C:\\WORK\\"}, {L"C:\\", L"C:\\"},
                              {L"C:\\ärger\\ｄａｔａ\\写真", L"C:\\ÄRGER\\ＤＡＴＡ\\写真\\"}}) {
    EXPECT_EQ(ClosingBaseDir(open), stored);
  }
  EXPECT_EQ(DriveNotReadyMessage(L'e'), L"ドライブ E: の準備ができていません。");  // named in upper case
}

}  // namespace pixkeeper
