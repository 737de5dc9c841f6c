#include <gtest/gtest.h>

#include <string>

#include "capture/FileNaming.h"
#include "fakes/FakePlatform.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {
namespace {

class FileNamingTest : public ::testing::Test {
 protected:
  FileNamingTest() {
    state.FilePrefix = L"BMP";
    state.BaseDir = L"C:\\Shots\\";
  }

  void At(int month, int day, int hour, int minute, int second) {
    fake.platform.date = {2026, month, day};
    fake.platform.time = {hour, minute, second};
  }

  FakeProgram fake;
  AppState& state = fake.program.state;
};

TEST_F(FileNamingTest, RunningNumberUsesTheValueBeforeTheIncrementAndWrapsPast9999) {
  struct Case {
    Integer present;
    const wchar_t* prefix;
    const wchar_t* name;
    Integer next;
  };
  for (const Case& c : {Case{12, L"BMP", L"BMP0012.BMP", 13}, Case{0, L"BMP", L"BMP0000.BMP", 1},
                        Case{9999, L"BMP", L"BMP9999.BMP", 0}, Case{12345, L"BMP", L"BMP12345.BMP", 0},
                        Case{-5, L"BMP", L"BMP-0005.BMP", -4}, Case{12, L"", L"0012.BMP", 13}}) {
    state.NamingScheme = naming_scheme::kRunningNumber;
    state.FilePrefix = c.prefix;
    state.PresentValue = c.present;
    EXPECT_EQ(NextFileName(fake.program), c.name);
    EXPECT_EQ(state.PresentValue, c.next) << c.name;
  }
  EXPECT_EQ(NextFileName(fake.program), L"0013.BMP");
}

TEST_F(FileNamingTest, RunningNumberAt32767OverflowsAndStays) {
  state.NamingScheme = naming_scheme::kRunningNumber;
  state.PresentValue = 32767;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      NextFileName(fake.program);
      FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), error::kOverflow);
    }
    EXPECT_EQ(state.PresentValue, 32767);
  }
}

TEST_F(FileNamingTest, StampRepeatsWithinOneSecondAndStartsAgainWithTheNext) {
  At(6, 13, 14, 25, 30);
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142530.BMP");
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142530-2.BMP");
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142530-3.BMP");
  EXPECT_EQ(state.StampRepeat, 3);
  At(6, 13, 14, 25, 31);
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142531.BMP");
  EXPECT_EQ(state.StampRepeat, 1);
  EXPECT_EQ(state.LastStamp, L"0613142531");
  // Only the previous stamp counts: back to an earlier second is a new stamp.
  At(6, 13, 14, 25, 30);
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142530.BMP");
}

TEST_F(FileNamingTest, OtherSchemesInBetweenNeitherResetNorAdvanceTheRepeat) {
  At(6, 13, 14, 25, 30);
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142530.BMP");
  state.NamingScheme = naming_scheme::kRunningNumber;
  state.PresentValue = 7;
  EXPECT_EQ(NextFileName(fake.program), L"BMP0007.BMP");
  state.NamingScheme = naming_scheme::kDateTime;
  EXPECT_EQ(NextFileName(fake.program), L"BMP0613142530-2.BMP");
}

TEST_F(FileNamingTest, StampIsMonthDayHourMinuteSecondReadDateFirst) {
  state.FilePrefix = L"";
  At(6, 13, 14, 25, 30);
  EXPECT_EQ(NextFileName(fake.program), L"0613142530.BMP");
  At(12, 31, 23, 59, 59);
  EXPECT_EQ(NextFileName(fake.program), L"1231235959.BMP");
  At(1, 1, 0, 0, 0);
  EXPECT_EQ(NextFileName(fake.program), L"0101000000.BMP");
  const int date = fake.platform.IndexOfCall("CurrentDate");
  ASSERT_GE(date, 0);
  EXPECT_EQ(fake.platform.calls[date + 1], "CurrentTime");
}

TEST_F(FileNamingTest, StampRepeatOverflowRaisesAndLeavesTheCount) {
  At(6, 13, 14, 25, 30);
  state.LastStamp = L"0613142530";
  state.StampRepeat = 32767;
  EXPECT_THROW(NextFileName(fake.program), RuntimeError);
  EXPECT_EQ(state.StampRepeat, 32767);
}

TEST_F(FileNamingTest, UserInputAsksTheSaveDialogWithItsFixedSettings) {
  state.NamingScheme = naming_scheme::kUserInput;
  fake.platform.saveDialogScripts.push_back(
      SaveDialogScript::Choose(L"C:\\Shots\\picture.BMP", L"picture.BMP"));
  EXPECT_EQ(NextFileName(fake.program), L"picture.BMP");

  ASSERT_EQ(fake.platform.saveDialogs.size(), 1u);
  const SaveDialogRequest& request = fake.platform.saveDialogs[0].request;
  EXPECT_EQ(request.owner, FakeProgram::kMainWindow);
  EXPECT_EQ(request.initialDirectory, L"C:\\Shots\\");
  EXPECT_EQ(request.title, L"画像ファイル選択");
  EXPECT_EQ(request.filter, L"画像ﾌｧｲﾙ (*.BMP)|*.BMP|");
  EXPECT_EQ(request.flags, 4u);
}

TEST_F(FileNamingTest, UserInputTakesOnlyTheNamePartAsTyped) {
  state.NamingScheme = naming_scheme::kUserInput;
  auto& scripts = fake.platform.saveDialogScripts;
  scripts.push_back(SaveDialogScript::Choose(L"C:\\Shots\\abc", L"abc"));
  scripts.push_back(SaveDialogScript::Choose(L"D:\\elsewhere\\x.BMP", L"x.BMP"));
  scripts.push_back(SaveDialogScript::Choose(L"", L"ignored"));
  scripts.push_back(SaveDialogScript::Cancel());
  EXPECT_EQ(NextFileName(fake.program), L"abc");
  EXPECT_EQ(NextFileName(fake.program), L"x.BMP");
  EXPECT_EQ(NextFileName(fake.program), L"");
  EXPECT_EQ(NextFileName(fake.program), L"USERINPUT.BMP");
  EXPECT_TRUE(fake.platform.messages.empty());
}

TEST_F(FileNamingTest, AnyOtherDialogErrorIsShownUntitledAndEndsTheProgram) {
  state.NamingScheme = naming_scheme::kUserInput;
  fake.platform.saveDialogScripts.push_back(SaveDialogScript::Fail(error::kOutOfMemory));
  EXPECT_THROW(NextFileName(fake.program), ProgramEnded);
  ASSERT_EQ(fake.platform.messages.size(), 1u);
  EXPECT_EQ(fake.platform.messages[0].text, ErrorText(error::kOutOfMemory));
  EXPECT_EQ(fake.platform.messages[0].style, message_style::kPlain);
  EXPECT_FALSE(fake.platform.messages[0].title.has_value());
  EXPECT_EQ(fake.platform.IndexOfCall("ShowMessage") + 1, fake.platform.IndexOfCall("EndProgram"));
}

}  // namespace
}  // namespace pixkeeper
