#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/FakePlatform.h"
#include "platform/RuntimeError.h"
#include "settings/Settings.h"

namespace pixkeeper {
namespace {

std::string Ascii(const std::wstring& key) {
  std::string out;
  for (wchar_t c : key) out += static_cast<char>(c);
  return out;
}

class SettingsTest : public ::testing::Test {
 protected:
  FakeProgram fake;
  FakePlatform& platform = fake.platform;
  AppState& state = fake.program.state;
  FakeMainWindow& window = fake.window;
};

TEST_F(SettingsTest, AnEmptyStoreGivesEveryDefaultAndSetsEachMarkExplicitly) {
  window.checks = {{OptionItem::StartPosition, false},
                   {OptionItem::StartMode, true},
                   {OptionItem::ViewMode, true}};
  LoadSettings(fake.program);
  EXPECT_EQ(state.BaseDir, L"C:\\");
  EXPECT_EQ(state.NamingScheme, 0);
  EXPECT_EQ(state.FilePrefix, L"BMP");
  EXPECT_EQ(state.StartValue, L"0");
  EXPECT_EQ(state.PresendFlag, 0);
  EXPECT_EQ(state.PresendValue, 0);
  EXPECT_TRUE(window.checks[OptionItem::StartPosition]);
  EXPECT_FALSE(window.checks[OptionItem::StartMode]);
  EXPECT_FALSE(window.checks[OptionItem::ViewMode]);

  const std::vector<std::string> reads = {
      "ReadSetting(BaseDir)",    "ReadSetting(FTYPE)",        "ReadSetting(FNAME)",
      "ReadSetting(StartValue)", "ReadSetting(PresendFlag)",  "ReadSetting(PresendValue)",
      "ReadSetting(StartPos)",   "ReadSetting(StartMode)",    "ReadSetting(ViewMode)"};
  std::vector<std::string> seen;
  for (const std::string& call : platform.calls) {
    if (call.rfind("ReadSetting", 0) == 0) seen.push_back(call);
  }
  EXPECT_EQ(seen, reads);
}

TEST_F(SettingsTest, TextsAreTrimmedOfSpacesAndEmptyValuesStayEmpty) {
  platform.Store(L"BaseDir", L"  D:\\画像\\  ");
  platform.Store(L"FNAME", L"");
  platform.Store(L"StartValue", L" 0012 ");
  LoadSettings(fake.program);
  EXPECT_EQ(state.BaseDir, L"D:\\画像\\");
  EXPECT_EQ(state.FilePrefix, L"");
  EXPECT_EQ(state.StartValue, L"0012");

  platform.Store(L"BaseDir", L"     ");
  platform.Store(L"FNAME", L"\tX　");  // a tab and a full-width space are kept
  platform.Store(L"StartValue", L"");
  LoadSettings(fake.program);
  EXPECT_EQ(state.BaseDir, L"C:\\");
  EXPECT_EQ(state.FilePrefix, L"\tX　");
  EXPECT_EQ(state.StartValue, L"");
}

TEST_F(SettingsTest, AnyNonZeroFlagSetsTheMarkAndIsWrittenBackAsOne) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"-1", true}, {L"1", true}, {L"2", true}, {L"0", false}, {L" 1 ", true}};
  for (const auto& [stored, checked] : cases) {
    for (const wchar_t* key : {L"StartPos", L"StartMode", L"ViewMode"}) platform.Store(key, stored);
    LoadSettings(fake.program);
    SaveSettings(fake.program);
    for (const wchar_t* key : {L"StartPos", L"StartMode", L"ViewMode"}) {
      EXPECT_EQ(platform.Stored(key), checked ? L"1" : L"0") << stored;
    }
    EXPECT_EQ(window.checks[OptionItem::ViewMode], checked) << stored;
  }
}

TEST_F(SettingsTest, SavingWritesTheNineKeysInOrderAndTheRunningNumberReached) {
  platform.Store(L"PresendFlag", L"0");
  platform.Store(L"PresendValue", L"37");
  LoadSettings(fake.program);
  EXPECT_EQ(state.PresendValue, 37);

  state.BaseDir = L" D:\\x ";  // written as it stands
  state.NamingScheme = 1;
  state.FilePrefix = L"";
  state.StartValue = L"0005";
  state.PresendFlag = 1;
  state.PresentValue = 12;
  window.checks = {{OptionItem::StartPosition, false},
                   {OptionItem::StartMode, true},
                   {OptionItem::ViewMode, false}};
  SaveSettings(fake.program);

  const std::vector<std::pair<std::wstring, std::wstring>> written = {
      {L"BaseDir", L" D:\\x "}, {L"FTYPE", L"1"},        {L"FNAME", L""},
      {L"StartValue", L"0005"}, {L"PresendFlag", L"1"},  {L"PresendValue", L"12"},
      {L"StartPos", L"0"},      {L"StartMode", L"1"},    {L"ViewMode", L"0"}};
  EXPECT_EQ(platform.settingWrites, written);
}

TEST_F(SettingsTest, ALongDirectoryComesBackWhole) {
  const std::wstring longDir = L"C:\\" + std::wstring(196, L'長') + L"\\";
  ASSERT_EQ(longDir.size(), 200u);
  state.BaseDir = longDir;
  SaveSettings(fake.program);
  EXPECT_EQ(platform.Stored(L"BaseDir"), longDir);

  FakeProgram next;
  next.platform.settings = platform.settings;
  LoadSettings(next.program);
  EXPECT_EQ(next.program.state.BaseDir, longDir);
}

TEST_F(SettingsTest, ANumericKeyThatIsNoIntegerStopsLoadingThere) {
  const wchar_t* const numericKeys[] = {L"FTYPE",        L"PresendFlag", L"PresendValue",
                                        L"StartPos",     L"StartMode",   L"ViewMode"};
  const std::pair<const wchar_t*, int> values[] = {
      {L"abc", error::kTypeMismatch}, {L"", error::kTypeMismatch},
      {L"40000", error::kOverflow},   {L"-40000", error::kOverflow}};
  for (const wchar_t* key : numericKeys) {
    for (const auto& [text, number] : values) {
      FakeProgram run;
      run.platform.Store(L"FNAME", L"PIC");
      run.platform.Store(key, text);
      try {
        LoadSettings(run.program);
        ADD_FAILURE() << "no error";
      } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), number);
      }
      // The key was the last one read.
      ASSERT_FALSE(run.platform.calls.empty());
      EXPECT_EQ(run.platform.calls.back(), "ReadSetting(" + Ascii(key) + ")");
      EXPECT_TRUE(run.platform.settingWrites.empty());
    }
  }
  // Keys before the bad one are in place.
  FakeProgram run;
  run.platform.Store(L"FNAME", L"PIC");
  run.platform.Store(L"StartPos", L"x");
  EXPECT_THROW(LoadSettings(run.program), RuntimeError);
  EXPECT_EQ(run.program.state.FilePrefix, L"PIC");
  EXPECT_TRUE(run.window.checks.empty());
}

TEST_F(SettingsTest, SavedSettingsLoadBackUnchanged) {
  state.BaseDir = L"E:\\スクリーン\\";
  state.NamingScheme = 2;
  state.FilePrefix = L"ｶﾞｿﾞｳ";
  state.StartValue = L"42";
  state.PresendFlag = 1;
  state.PresentValue = -7;
  window.checks = {{OptionItem::StartPosition, true}, {OptionItem::ViewMode, true}};
  SaveSettings(fake.program);

  FakeProgram next;
  next.platform.settings = platform.settings;
  LoadSettings(next.program);
  const AppState& loaded = next.program.state;
  EXPECT_EQ(loaded.BaseDir, state.BaseDir);
  EXPECT_EQ(loaded.NamingScheme, 2);
  EXPECT_EQ(loaded.FilePrefix, state.FilePrefix);
  EXPECT_EQ(loaded.StartValue, L"42");
  EXPECT_EQ(loaded.PresendFlag, 1);
  EXPECT_EQ(loaded.PresendValue, -7);
  EXPECT_TRUE(next.window.checks[OptionItem::StartPosition]);
  EXPECT_FALSE(next.window.checks[OptionItem::StartMode]);
  EXPECT_TRUE(next.window.checks[OptionItem::ViewMode]);
}

TEST(ClearSwitch, MatchesTheWholeCommandLineInAnyCase) {
  for (const wchar_t* text : {L"/CLEAR", L"/clear", L"/Clear", L"/cLeAr"}) {
    EXPECT_TRUE(IsClearSwitch(text)) << text;
  }
  for (const wchar_t* text : {L"", L"/CLEAR x", L"/CLEAR /CLEAR", L"/CLEARX", L"CLEAR", L"-clear",
                              L"/ＣＬＥＡＲ", L"/CLEAR\t"}) {
    EXPECT_FALSE(IsClearSwitch(text)) << text;
  }
}

TEST(ClearSwitch, DeletesTheSectionAndEndsOnlyWithTheSwitch) {
  FakeProgram fake;
  fake.platform.Store(L"FTYPE", L"x");
  fake.platform.settings[{L"OTHER", L"CONFIG", L"FTYPE"}] = L"1";

  fake.platform.commandLine = L"/clear second";
  HandleClearSwitch(fake.platform);
  EXPECT_TRUE(fake.platform.deletedSections.empty());
  EXPECT_FALSE(fake.platform.programEnded);

  fake.platform.commandLine = L"/clear";
  EXPECT_THROW(HandleClearSwitch(fake.platform), ProgramEnded);
  EXPECT_EQ(fake.platform.deletedSections,
            (std::vector<std::pair<std::wstring, std::wstring>>{{L"PIXKEEPER", L"CONFIG"}}));
  EXPECT_FALSE(fake.platform.Stored(L"FTYPE").has_value());
  EXPECT_EQ(fake.platform.settings.size(), 1u);
  EXPECT_TRUE(fake.platform.messages.empty());
  EXPECT_TRUE(fake.platform.settingWrites.empty());
}

}  // namespace
}  // namespace pixkeeper
