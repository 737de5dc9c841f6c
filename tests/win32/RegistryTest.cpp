#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Platform.h"

namespace pixkeeper {
namespace {

// A section of its own, so that the program's stored settings are not touched.
const std::wstring kApplication = L"PIXKEEPER-TEST";
const std::wstring kSection = L"CONFIG";
const wchar_t* const kSectionPath = L"Software\\PIXKEEPER-TEST\\CONFIG";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.DeleteSettingSection(kApplication, kSection); }
  void TearDown() override { platform.DeleteSettingSection(kApplication, kSection); }

  void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, kSectionPath, name, type, data, size));
  }

  Win32Platform platform;
};

TEST_F(RegistryTest, StoresEachKeyAsAStringValueAndReadsItBackWhole) {
  const std::wstring japanese = L"C:\\スクリーン\\ｶﾞｿﾞｳ\\";
  std::wstring longText;
  for (int i = 0; i < 300; ++i) longText.push_back(static_cast<wchar_t>(L'A' + i % 26));

  platform.WriteSetting(kApplication, kSection, L"BaseDir", japanese);
  platform.WriteSetting(kApplication, kSection, L"FNAME", longText);
  platform.WriteSetting(kApplication, kSection, L"FNAME", longText);  // overwriting is fine

  EXPECT_EQ(japanese, platform.ReadSetting(kApplication, kSection, L"BaseDir", L"default"));
  EXPECT_EQ(longText, platform.ReadSetting(kApplication, kSection, L"FNAME", L"default"));

  wchar_t stored[64] = {};
  DWORD size = sizeof stored;
  DWORD type = 0;
  ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueW(HKEY_CURRENT_USER, kSectionPath, L"BaseDir",
                                          RRF_RT_ANY, &type, stored, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(japanese, stored);
}

TEST_F(RegistryTest, AbsentValueOrKeyGivesTheDefaultButAnEmptyValueIsText) {
  EXPECT_EQ(L"C:\\", platform.ReadSetting(kApplication, kSection, L"BaseDir", L"C:\\"));
  EXPECT_EQ(L"BMP", platform.ReadSetting(L"PIXKEEPER-NONE", kSection, L"FNAME", L"BMP"));

  platform.WriteSetting(kApplication, kSection, L"FNAME", L"");
  EXPECT_EQ(L"", platform.ReadSetting(kApplication, kSection, L"FNAME", L"BMP"));
  EXPECT_EQ(L"1", platform.ReadSetting(kApplication, kSection, L"StartPos", L"1"));
}

TEST_F(RegistryTest, ValuesWrittenByOtherToolsAreReadSensibly) {
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  StoreRaw(L"NoNul", REG_SZ, unterminated, sizeof unterminated);
  const DWORD number = 7;
  StoreRaw(L"Number", REG_DWORD, &number, sizeof number);
  const wchar_t cut[] = L"12\0junk";
  StoreRaw(L"Cut", REG_SZ, cut, sizeof cut);
  const unsigned char odd[] = {'1', 0, '2'};  // an odd byte count
  StoreRaw(L"Odd", REG_SZ, odd, sizeof odd);
  const unsigned char binary[] = {1, 2, 3};
  StoreRaw(L"Binary", REG_BINARY, binary, sizeof binary);

  EXPECT_EQ(L"abc", platform.ReadSetting(kApplication, kSection, L"NoNul", L"x"));
  EXPECT_EQ(L"7", platform.ReadSetting(kApplication, kSection, L"Number", L"x"));
  EXPECT_EQ(L"12", platform.ReadSetting(kApplication, kSection, L"Cut", L"x"));
  EXPECT_EQ(L"1", platform.ReadSetting(kApplication, kSection, L"Odd", L"x"));
  EXPECT_EQ(L"x", platform.ReadSetting(kApplication, kSection, L"Binary", L"x"));
}

TEST_F(RegistryTest, DeletingTheSectionRemovesEveryKeyAndAMissingSectionIsNoError) {
  platform.WriteSetting(kApplication, kSection, L"FTYPE", L"2");
  platform.WriteSetting(kApplication, kSection, L"ViewMode", L"1");
  platform.WriteSetting(kApplication, L"OTHER", L"Kept", L"yes");

  platform.DeleteSettingSection(kApplication, kSection);

  EXPECT_EQ(L"0", platform.ReadSetting(kApplication, kSection, L"FTYPE", L"0"));
  EXPECT_EQ(L"0", platform.ReadSetting(kApplication, kSection, L"ViewMode", L"0"));
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            ::RegOpenKeyExW(HKEY_CURRENT_USER, kSectionPath, 0, KEY_READ, &key));
  EXPECT_EQ(L"yes", platform.ReadSetting(kApplication, L"OTHER", L"Kept", L"no"));

  EXPECT_NO_THROW(platform.DeleteSettingSection(kApplication, kSection));
  platform.DeleteSettingSection(kApplication, L"OTHER");
}

}  // namespace
}  // namespace pixkeeper
