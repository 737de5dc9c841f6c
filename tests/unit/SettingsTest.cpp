// What loading makes of the ten stored settings.

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace pixkeeper {

const char* const kKeys[] = {"BaseDir",  "FTYPE",    "FNAME",     "StartValue", "PresendFlag",
                             "PresendValue", "StartPos", "StartMode", "ViewMode", "SaveFormat"};

static std::string Reads(int count) {
  std::string log;
  for (int i = 0; i < count; ++i) log += std::string(i ? " " : "") + "read:" + kKeys[i];
  return log;
}

TEST(Settings, LoadingReadsEveryKeyInOrder) {
  FakeProgram fake;
  const AppState& s = fake.state;
  fake.platform.checks = {{OptionItem::StartPosition, false}, {OptionItem::StartMode, true},
                          {OptionItem::ViewMode, true}, {OptionItem::SavePng, true}};
  LoadSettings(fake.program);  // the defaults
  EXPECT_EQ(fake.platform.log, Reads(10));
  EXPECT_EQ(std::tie(s.BaseDir, s.FilePrefix, s.StartValue, s.NamingScheme, s.PresendFlag, s.PresendValue),
            std::make_tuple(L"C:\\", L"BMP", L"0", 0, 0, 0));
  EXPECT_EQ(fake.platform.checks, (std::map<OptionItem, bool>{
      {OptionItem::StartPosition, true}, {OptionItem::StartMode, false}, {OptionItem::ViewMode, false},
      {OptionItem::SavePng, false}}));
  for (auto [key, text] : {std::pair{L"FTYPE", L"2"}, {L"PresendFlag", L"-1"}, {L"PresendValue", L" -37 "}}) {
    fake.platform.Setting(key) = text;
  }
  // Texts lose the ordinary spaces around them only; a blank directory is the default one.
  for (auto [stored, baseDir, text] : {std::tuple{L"  D:\\画像\\  ", L"D:\\画像\\", L"D:\\画像\\"},
                                       {L"", L"C:\\", L""}, {L"     ", L"C:\\", L""}, {L"\tX　", L"\tX　", L"\tX　"}}) {
    for (const wchar_t* key : {L"BaseDir", L"FNAME", L"StartValue"}) fake.platform.Setting(key) = stored;
    LoadSettings(fake.program);
    EXPECT_EQ(std::tie(s.BaseDir, s.FilePrefix, s.StartValue, s.NamingScheme, s.PresendFlag, s.PresendValue),
              std::make_tuple(baseDir, text, text, 2, -1, -37));
  }
  // Any flag that is not 0 sets its mark, written back as 1.
  for (auto [stored, written] : {std::pair{L"-1", L"1"}, {L"2", L"1"}, {L"0", L"0"}, {L" 1 ", L"1"}}) {
    for (const wchar_t* key : {L"StartPos", L"StartMode", L"ViewMode", L"SaveFormat"}) fake.platform.Setting(key) = stored;
    LoadSettings(fake.program);
    SaveSettings(fake.program);
    for (const wchar_t* key : {L"StartPos", L"StartMode", L"ViewMode", L"SaveFormat"}) EXPECT_EQ(fake.platform.Setting(key), written);
  }
}

// A numeric key that is no Integer stops loading there.
TEST(Settings, BadNumbers) {
  for (int key : {1, 4, 5, 6, 7, 8, 9}) {
    for (auto [text, number] : {std::pair{L"abc", 13}, {L"", 13}, {L"40000", 6}, {L"-40000", 6}}) {
      FakeProgram fake;
      fake.platform.Setting(std::wstring(kKeys[key], kKeys[key] + std::char_traits<char>::length(kKeys[key]))) = text;
      EXPECT_EQ(ErrorOf([&] { LoadSettings(fake.program); }), number);
      EXPECT_EQ(fake.platform.log, Reads(key + 1));
      EXPECT_EQ(fake.platform.checks.size(), key > 6 ? key - 6u : 0u);
    }
  }
}

}  // namespace pixkeeper
