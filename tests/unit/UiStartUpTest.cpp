// The start-up and shut-down sequences of the main window, and the check for
// a running copy.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "platform/RuntimeError.h"
#include "ui/FindWindow.h"
#include "ui/FnameFields.h"
#include "ui/StartUp.h"

namespace pixkeeper {
namespace {

TEST(UiSingleInstance, StartsWhenNoWindowBearsTheTitle) {
  FakePlatform platform;
  platform.windowTitles = {L"Pixkeeper - Notepad"};
  CheckSingleInstance(platform, L"Pixkeeper");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(platform.programEnded);
}

TEST(UiSingleInstance, ARunningCopyIsReportedAndTheProgramEnds) {
  FakePlatform platform;
  platform.windowTitles = {L"Pixkeeper"};
  EXPECT_THROW(CheckSingleInstance(platform, L"Pixkeeper"), ProgramEnded);
  ASSERT_EQ(1u, platform.messages.size());
  EXPECT_EQ(L"すでに起動されているので終了します。", platform.messages[0].text);
  EXPECT_EQ(message_style::kInformation, platform.messages[0].style);
  EXPECT_EQ(L"Pixkeeperからのお知らせ", platform.messages[0].title.value_or(L""));
  EXPECT_LT(platform.IndexOfCall("ShowMessage"), platform.IndexOfCall("EndProgram"));
  // Nothing is sent to the running copy.
  EXPECT_TRUE(platform.sentMessages.empty());
}

TEST(UiStartUp, TheRunningNumberComesFromTheKeptValueOrTheStartValue) {
  AppState state;
  state.PresendValue = 37;
  state.StartValue = L"0012";
  EXPECT_EQ(12, InitialPresentValue(state));
  state.StartValue = L"";
  EXPECT_EQ(0, InitialPresentValue(state));
  state.PresendFlag = 1;
  state.StartValue = L"abc";
  EXPECT_EQ(37, InitialPresentValue(state));
  state.PresendFlag = -1;
  EXPECT_EQ(37, InitialPresentValue(state));

  state.PresendFlag = 0;
  try {
    InitialPresentValue(state);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error::kTypeMismatch, error.number());
  }
  state.StartValue = L"40000";
  try {
    InitialPresentValue(state);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error::kOverflow, error.number());
  }
}

// The steps that act on the window, logged with the platform's calls.
class FakeSteps final : public MainWindowSteps, public FnameFields {
 public:
  static constexpr WindowHandle kHandle = 0x4711;

  explicit FakeSteps(FakeProgram& fake) : fake_(fake) {}

  void SetTitle(const std::wstring& text) override {
    Log("SetTitle");
    title = text;
  }
  void PrepareFnameDialog() override {
    Log("PrepareFnameDialog");
    FillFnameFields(fake_.program.state, *this);
  }
  void CenterOnScreen() override { Log("CenterOnScreen"); }
  void PlaceFileList() override { Log("PlaceFileList"); }
  void SetMinimised(bool value) override {
    Log("SetMinimised");
    minimised = value;
  }
  WindowHandle Handle() const override { return kHandle; }

  void SelectOption(int index) override {
    fake_.program.state.NamingScheme = static_cast<Integer>(index);
  }
  std::wstring PrefixText() const override { return prefix; }
  void SetPrefixText(const std::wstring& text) override { prefix = text; }
  std::wstring StartValueText() const override { return {}; }
  void SetStartValueText(const std::wstring&) override {}
  void SetPresentValueText(const std::wstring&) override {}
  int KeepValueCheck() const override { return 0; }
  void SetKeepValueCheck(int) override {}

  std::wstring title;
  std::wstring prefix;
  bool minimised = false;

 private:
  void Log(const std::string& line) { fake_.platform.Log(line); }
  FakeProgram& fake_;
};

class UiLoadStep : public ::testing::Test {
 protected:
  int At(const std::string& call) const { return fake.platform.IndexOfCall(call); }

  FakeProgram fake;
  FakePlatform& platform = fake.platform;
  AppState& state = fake.program.state;
  FakeSteps steps{fake};
};

TEST_F(UiLoadStep, RunsItsStepsInOrderAndStartsTheWatch) {
  platform.PutPicture(TinyDib(), {clipboard_format::kDib});
  platform.Store(L"FNAME", L"IMG");
  state.CaptureBusy = -1;
  RunLoadStep(fake.program, steps);

  EXPECT_EQ(L"Pixkeeper", steps.title);
  EXPECT_EQ(0, state.CaptureBusy);
  EXPECT_EQ(L"IMG", steps.prefix);
  EXPECT_EQ(FakeSteps::kHandle, state.MainWindow);
  EXPECT_TRUE(state.Hooked);
  EXPECT_TRUE(state.InViewerChain);
  // The picture on the clipboard at start is dropped, not saved.
  EXPECT_TRUE(platform.clipboardFormats.empty());
  EXPECT_TRUE(platform.files.empty());
  // An empty store centres the window and does not minimise it.
  EXPECT_FALSE(steps.minimised);

  const std::vector<std::string> order = {
      "SetTitle",       "ReadSetting(BaseDir)", "ReadSetting(ViewMode)",
      "PrepareFnameDialog", "ClipboardClear", "CenterOnScreen",
      "PlaceFileList",  "SetMinimised",       "SetWindowProcedure",
      "SetClipboardViewer"};
  for (size_t i = 0; i + 1 < order.size(); ++i) {
    EXPECT_GE(At(order[i]), 0) << order[i];
    EXPECT_LT(At(order[i]), At(order[i + 1])) << order[i] << " before " << order[i + 1];
  }
  EXPECT_EQ(-1, At("WriteSetting(BaseDir)"));
}

TEST_F(UiLoadStep, TheStoredMarksDecideCentringAndMinimising) {
  platform.Store(L"StartPos", L"0");
  platform.Store(L"StartMode", L"-1");
  RunLoadStep(fake.program, steps);
  EXPECT_EQ(-1, At("CenterOnScreen"));
  EXPECT_TRUE(steps.minimised);
}

TEST_F(UiLoadStep, TheRunningNumberIsSetBeforeTheWatchStarts) {
  platform.Store(L"StartValue", L"0012");
  RunLoadStep(fake.program, steps);
  EXPECT_EQ(12, state.PresentValue);
  platform.Store(L"PresendFlag", L"1");
  platform.Store(L"PresendValue", L"37");
  FakeProgram second;
  second.platform.settings = platform.settings;
  FakeSteps secondSteps{second};
  RunLoadStep(second.program, secondSteps);
  EXPECT_EQ(37, second.program.state.PresentValue);
}

// A stored value that cannot be used stops the start before the window is
// hooked, so nothing can write the settings back.
TEST_F(UiLoadStep, AnUnusableStoredValueStopsBeforeTheWatch) {
  struct Case {
    const wchar_t* key;
    const wchar_t* text;
    int error;
  };
  for (const Case& c : {Case{L"FTYPE", L"abc", 13}, Case{L"FTYPE", L"3", 340},
                        Case{L"StartValue", L"x1", 13}, Case{L"StartPos", L"", 13},
                        Case{L"ViewMode", L"40000", 6}}) {
    FakeProgram failing;
    failing.platform.Store(c.key, c.text);
    FakeSteps failingSteps{failing};
    try {
      RunLoadStep(failing.program, failingSteps);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(c.error, error.number());
    }
    EXPECT_FALSE(failing.program.state.Hooked);
    EXPECT_FALSE(failing.program.state.InViewerChain);
    EXPECT_TRUE(failing.platform.settingWrites.empty());
    EXPECT_EQ(-1, failing.platform.IndexOfCall("SetWindowProcedure"));
  }
}

TEST(UiStartUpError, ReportsTheNumberAndTheText) {
  EXPECT_EQ(L"実行時エラー '13':\r\n\r\n型が一致しません。",
            StartUpErrorMessage(RuntimeError(error::kTypeMismatch)));
}

TEST_F(UiLoadStep, ClosingWritesTheSettingsThenLeavesTheChainAndEnds) {
  platform.Store(L"FTYPE", L"1");
  platform.Store(L"StartValue", L"5");
  RunLoadStep(fake.program, steps);
  state.PresentValue = 8;  // three captures later
  platform.calls.clear();

  EXPECT_THROW(RunQueryUnload(fake.program), ProgramEnded);
  EXPECT_EQ(L"8", platform.Stored(L"PresendValue").value_or(L""));
  EXPECT_EQ(9, static_cast<int>(platform.settingWrites.size()));
  EXPECT_LT(At("WriteSetting(ViewMode)"), At("ChangeClipboardChain"));
  EXPECT_LT(At("ChangeClipboardChain"), At("SetWindowProcedure"));
  EXPECT_LT(At("SetWindowProcedure"), At("EndProgram"));
  EXPECT_FALSE(state.Hooked);
}

TEST(UiTexts, TheMissingFileMessageNamesThePathOnItsSecondLine) {
  EXPECT_EQ(L"対象画像が存在しません。削除された可能性があります。\r\n"
            L"対象画像名 [C:\\スクリーン\\BMP0001.BMP]",
            MissingFileMessage(L"C:\\スクリーン\\BMP0001.BMP"));
}

}  // namespace
}  // namespace pixkeeper
