// The nine stored settings and the switch that deletes them.

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fakes/FakePlatform.h"

namespace pixkeeper {
namespace {

const char* const kKeys[] = {"BaseDir",  "FTYPE",    "FNAME",     "StartValue", "PresendFlag",
                             "PresendValue", "StartPos", "StartMode", "ViewMode"};
using Checks = std::map<OptionItem, bool>;
const Checks kMarks = {{OptionItem::StartPosition, false}, {OptionItem::StartMode, true}, {OptionItem::ViewMode, true}};

std::string Log(const char* word, int count = 9) {
  std::string log;
  for (int i = 0; i < count; ++i) log += std::string(i ? " " : "") + word + kKeys[i];
  return log;
}

TEST(Settings, LoadingReadsEveryKeyInOrder) {
  FakeProgram fake;
  const AppState& s = fake.state;
  fake.platform.checks = kMarks;
  LoadSettings(fake.program);  // the defaults
  EXPECT_EQ(fake.platform.log, Log("read:"));
  EXPECT_EQ(std::tie(s.BaseDir, s.FilePrefix, s.StartValue), std::make_tuple(L"C:\\", L"BMP", L"0"));
  EXPECT_EQ(std::tie(s.NamingScheme, s.PresendFlag, s.PresendValue), std::make_tuple(0, 0, 0));
  EXPECT_EQ(fake.platform.checks,
            (Checks{{OptionItem::StartPosition, true}, {OptionItem::StartMode, false}, {OptionItem::ViewMode, false}}));
  // Texts lose the ordinary spaces around them only; a blank directory is the default one.
  for (auto [stored, baseDir, text] : {std::tuple{L"  D:\\画像\\  ", L"D:\\画像\\", L"D:\\画像\\"},
                                       {L"", L"C:\\", L""}, {L"     ", L"C:\\", L""}, {L"\tX　", L"\tX　", L"\tX　"}}) {
    for (const wchar_t* key : {L"BaseDir", L"FNAME", L"StartValue"}) fake.platform.Setting(key) = stored;
    LoadSettings(fake.program);
    EXPECT_EQ(std::tie(s.BaseDir, s.FilePrefix, s.StartValue), std::make_tuple(baseDir, text, text));
  }
  // Any flag that is not 0 sets its mark, written back as 1.
  for (auto [stored, written] : {std::pair{L"-1", L"1"}, {L"2", L"1"}, {L"0", L"0"}, {L" 1 ", L"1"}}) {
    for (const wchar_t* key : {L"StartPos", L"StartMode", L"ViewMode"}) fake.platform.Setting(key) = stored;
    LoadSettings(fake.program);
    SaveSettings(fake.program);
    for (const wchar_t* key : {L"StartPos", L"StartMode", L"ViewMode"}) EXPECT_EQ(fake.platform.Setting(key), written);
  }
}

TEST(Settings, SavingWritesTheNineKeysInOrderAndTheyLoadBack) {
  FakeProgram fake, next;
  AppState& s = fake.state;
  fake.platform.Setting(L"PresendValue") = L"37";
  LoadSettings(fake.program);
  EXPECT_EQ(s.PresendValue, 37);
  const std::wstring longDir = L" E:\\" + std::wstring(196, L'長') + L"\\";
  s.BaseDir = longDir, s.NamingScheme = 2, s.FilePrefix = L"ｶﾞｿﾞｳ", s.StartValue = L"0005", s.PresendFlag = 1;
  s.PresentValue = -7;  // the number this run reached
  fake.platform.checks = kMarks;
  fake.platform.log.clear();
  SaveSettings(fake.program);
  EXPECT_EQ(fake.platform.log, Log("write:"));
  next.platform.settings = fake.platform.settings;
  LoadSettings(next.program);
  const AppState& n = next.state;
  EXPECT_EQ(std::tie(n.BaseDir, n.FilePrefix, n.StartValue), std::make_tuple(longDir.substr(1), L"ｶﾞｿﾞｳ", L"0005"));
  EXPECT_EQ(std::tie(n.NamingScheme, n.PresendFlag, n.PresendValue), std::make_tuple(2, 1, -7));
  EXPECT_EQ(next.platform.checks, fake.platform.checks);
  EXPECT_EQ(fake.platform.Setting(L"BaseDir"), longDir);
}

TEST(Settings, ANumericKeyThatIsNoIntegerStopsLoadingThere) {
  for (int key : {1, 4, 5, 6, 7, 8}) {
    for (auto [text, number] : {std::pair{L"abc", 13}, {L"", 13}, {L"40000", 6}, {L"-40000", 6}}) {
      FakeProgram fake;
      fake.platform.Setting(std::wstring(kKeys[key], kKeys[key] + std::strlen(kKeys[key]))) = text;
      EXPECT_EQ(ErrorOf([&] { LoadSettings(fake.program); }), number);
      EXPECT_EQ(fake.platform.log, Log("read:", key + 1));
      EXPECT_EQ(fake.platform.checks.size(), key > 6 ? key - 6u : 0u);
    }
  }
}

TEST(Settings, TheClearSwitchIsTheWholeCommandLineInAnyCase) {
  for (auto [commandLine, clears] : {std::pair{L"/CLEAR", true}, {L"/clear", true}, {L"/cLeAr", true}, {L"", false},
                                     {L"/CLEAR x", false}, {L"/CLEAR /CLEAR", false}, {L"/CLEARX", false},
                                     {L"CLEAR", false}, {L"-clear", false}, {L"/ＣＬＥＡＲ", false},
                                     {L"/CLEAR\t", false}}) {
    FakePlatform platform;
    platform.Setting(L"FTYPE") = L"x";
    platform.settings[L"OTHER\\CONFIG\\FTYPE"] = L"1";
    platform.commandLine = commandLine;
    try {
      HandleClearSwitch(platform);
    } catch (const ProgramEnded&) {
    }
    EXPECT_EQ(std::make_tuple(IsClearSwitch(commandLine), platform.settings.size(), platform.log),
              std::make_tuple(clears, clears ? 1u : 2u, clears ? "end" : ""));
    EXPECT_EQ(platform.settings.count(L"OTHER\\CONFIG\\FTYPE"), 1u);
  }
}

}  // namespace
}  // namespace pixkeeper
