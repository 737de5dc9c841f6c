// What loading makes of the ten stored settings, and how the marks are written back.

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace pixkeeper {

TEST(Settings, LoadingReadsEveryKeyInOrder) {
  FakeProgram fake;
  const AppState& s = fake.state;
  fake.platform.checks = {{OptionItem::StartPosition, false}, {OptionItem::StartMode, true},
                          {OptionItem::ViewMode, true}, {OptionItem::SavePng, true}, {OptionItem::KeepClipboard, true}};
  // The defaults: the folder made in the user's Pictures. (The keys are read
  // in the order the load step's test shows.)
  LoadSettings(fake.program);
  const std::wstring own = L"C:\\Users\\me\\Pictures\\Pixkeeper\\";
  EXPECT_EQ(std::tie(s.BaseDir, s.FilePrefix, s.StartValue, s.NamingScheme, s.PresendFlag, s.PresendValue),
            std::make_tuple(own, L"BMP", L"0", 0, 0, 0));
  EXPECT_EQ(fake.platform.checks, (std::map<OptionItem, bool>{
      {OptionItem::StartPosition, true}, {OptionItem::StartMode, false}, {OptionItem::ViewMode, false},
      {OptionItem::SavePng, false}, {OptionItem::KeepClipboard, false}, {OptionItem::DayFolders, false},
      {OptionItem::ProgramFolders, false}, {OptionItem::SkipRepeats, false}, {OptionItem::Thumbnails, false}}));
  // A folder that cannot be made is still where pictures go (the first
  // capture says why it fails); with no Pictures folder, the root of C:.
  fake.platform.mkdirError = 70;
  EXPECT_EQ(DefaultSaveDirectory(fake.platform), own);
  fake.platform.pictures.clear();
  EXPECT_EQ(DefaultSaveDirectory(fake.platform), L"C:\\");
  fake.platform.pictures = L"D:\\P\\";
  fake.platform.Setting(L"FTYPE") = L"2", fake.platform.Setting(L"PresendFlag") = L"-1";
  fake.platform.Setting(L"PresendValue") = L" -37 ";
  // Texts lose the ordinary spaces around them only; a blank directory is the default one.
  for (auto [stored, baseDir, text] : {std::tuple{L"  D:\\画像\\  ", L"D:\\画像\\", L"D:\\画像\\"},
                                       {L"", L"D:\\P\\Pixkeeper\\", L""}, {L"     ", L"D:\\P\\Pixkeeper\\", L""},
                                       {L"C:\\", L"C:\\", L"C:\\"}, {L"\tX　", L"\tX　", L"\tX　"}}) {
    for (const wchar_t* key : {L"BaseDir", L"FNAME", L"StartValue"}) fake.platform.Setting(key) = stored;
    LoadSettings(fake.program);
    EXPECT_EQ(std::tie(s.BaseDir, s.FilePrefix, s.StartValue, s.NamingScheme, s.PresendFlag, s.PresendValue),
              std::make_tuple(baseDir, text, text, 2, -1, -37));
  }
  // Any flag that is not 0 sets its mark, written back as 1.
  const wchar_t* const flags[] = {L"StartPos", L"StartMode", L"ViewMode", L"SaveFormat", L"KeepClipboard",
                                  L"DayFolders", L"ProgramFolders", L"SkipRepeats", L"Thumbnails"};
  for (auto [stored, written] : {std::pair{L"-1", L"1"}, {L"2", L"1"}, {L"0", L"0"}, {L" 1 ", L"1"}}) {
    for (const wchar_t* key : flags) fake.platform.Setting(key) = stored;
    LoadSettings(fake.program);
    SaveSettings(fake.program);
    for (const wchar_t* key : flags) EXPECT_EQ(fake.platform.Setting(key), written) << key;
  }
}

// Only the whole switch clears, in any case of its ASCII letters.
TEST(Settings, TheClearSwitch) {
  for (auto [line, clears] : {std::pair{L"/CLEAR", true}, {L"/clear", true}, {L"/cLeAr", true}, {L"/CLEAR now", false},
                              {L"/CLEARX", false}, {L"CLEAR", false}, {L"/ＣＬＥＡＲ", false}, {L"", false}}) {
    EXPECT_EQ(IsClearSwitch(line), clears) << line;
  }
}

}  // namespace pixkeeper
