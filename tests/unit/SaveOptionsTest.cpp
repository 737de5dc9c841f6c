// Where pictures go with the folder options, the repeat check, and a PNG
// offered by its program kept as it came.

#include <gtest/gtest.h>

#include "capture/SaveFolders.h"
#include "fakes/FakePlatform.h"
#include "support/TestPictures.h"
#include "support/TestPng.h"

namespace pixkeeper {

using Bytes = std::vector<std::uint8_t>;
const Bytes kRed = testing::MakeTestPicture("rgb24", 2, 1).dib, kBlue = testing::MakeTestPicture("pal1", 3, 2).dib;

TEST(SaveFolders, Names) {
  for (auto [executable, host, folder] : {std::tuple<const wchar_t*, bool, const wchar_t*>{
           L"C:\\Program Files\\Paint\\mspaint.exe", false, L"mspaint"}, {L"", false, L"その他"},
           {L"C:\\x\\mspaint.exe", true, L"Linux"}, {L"", true, L"Linux"}, {L"D:/tools/my.tool.EXE", false, L"my.tool"},
           {L"C:\\a\\we<i>r|d\x01.exe", false, L"we_i_r_d_"}, {L"C:\\a\\name. .exe", false, L"name"},
           {L"C:\\a\\ ...exe", false, L"その他"}, {L"C:\\a\\.hidden", false, L".hidden"}, {L"C:\\a\\tool", false, L"tool"},
           {L"C:\\a\\con.exe", false, L"con_"}, {L"C:\\a\\LPT9.exe", false, L"LPT9_"}, {L"C:\\a\\COM0.exe", false, L"COM0"},
           {L"C:\\a\\console.exe", false, L"console"}}) {
    EXPECT_EQ(ProgramFolderName(executable, host), folder) << executable;
  }
  EXPECT_EQ(SubFolders(true, L"paint", true, {987, 12, 31}), L"paint\\0987-12-31\\");  // the rest: end to end
}

struct SaveOptions : FakeProgram, ::testing::Test {
  SaveOptions() {
    state.BaseDir = L"C:\\Shots\\", state.FilePrefix = L"BMP", state.NamingScheme = 1;
    platform.onClipboardChange = [this] { queue.Notice(); };
    platform.ownerProgram = L"C:\\Windows\\paint.exe";
  }
  std::wstring Files() {  // below the save directory
    std::wstring names;
    for (const auto& file : platform.files) names += file.first.substr(9) + L" ";
    return names;
  }
};

// Each option alone and both: the folders made below the save directory,
// never the save directory itself; the running number is one counter, the
// same-second suffixes count per folder.
TEST_F(SaveOptions, FoldersByDayAndProgram) {
  platform.checks[OptionItem::DayFolders] = true;
  platform.Put({8}, kRed);
  platform.checks[OptionItem::ProgramFolders] = true;
  platform.Put({8}, kRed);
  platform.checks[OptionItem::DayFolders] = false;
  platform.ownerProgram.clear();
  platform.Put({8}, kRed);
  EXPECT_EQ(Files(), L"2026-06-13\\BMP0000.BMP paint\\2026-06-13\\BMP0001.BMP その他\\BMP0002.BMP ");
  EXPECT_NE(platform.log.find("mkdir:C:\\Shots\\paint mkdir:C:\\Shots\\paint\\2026-06-13 save:"), std::string::npos);
  EXPECT_EQ(platform.log.find("mkdir:C:\\Shots\\ "), std::string::npos);

  state.NamingScheme = naming_scheme::kDateTime;
  for (const wchar_t* owner : {L"a.exe", L"b.exe", L"b.exe"}) platform.ownerProgram = owner, platform.Put({8}, kBlue);
  EXPECT_NE(Files().find(L"a\\BMP0613142530.BMP b\\BMP0613142530-2.BMP b\\BMP0613142530.BMP"), std::wstring::npos);
  // A folder that cannot be made (the save directory is missing) fails the capture, said.
  platform.mkdirError = 76;
  platform.Put({8}, kRed);
  EXPECT_EQ(platform.status, L"保存できませんでした: C:\\Shots\\b\\BMP0613142530-3.BMP (パスが見つかりません。)");
  EXPECT_EQ(platform.files.size(), 6u);
  // The save dialog opens in the picture's folder, made for it first.
  state.NamingScheme = naming_scheme::kUserInput, platform.mkdirError = 0;
  platform.checks[OptionItem::DayFolders] = true;
  platform.log.clear();
  platform.Put({8}, kRed);
  EXPECT_EQ(platform.dialog.initialDirectory, L"C:\\Shots\\b\\2026-06-13\\");
  EXPECT_LT(platform.log.find("mkdir:C:\\Shots\\b\\2026-06-13"), platform.log.find("dialog"));
}

// The same picture again is not saved: no file, entry, number or beep; the
// clipboard is emptied (unless kept) and the status line says why. Another
// picture, or the same one after another, is saved.
TEST_F(SaveOptions, TheSamePictureOnce) {
  platform.checks[OptionItem::SkipRepeats] = true;
  Bytes moved = kRed;
  moved[24] ^= 1;  // another resolution in the header: the same picture
  Bytes repainted = kRed;
  repainted.back() ^= 1;  // the last pixel's last byte
  for (const Bytes& dib : {kRed, kRed, moved, repainted, kBlue, kRed}) platform.Put({8}, dib);
  EXPECT_EQ(Files(), L"BMP0000.BMP BMP0001.BMP BMP0002.BMP BMP0003.BMP ");
  EXPECT_EQ(state.PresentValue, 4);
  platform.checks[OptionItem::KeepClipboard] = true;
  platform.log.clear();
  platform.Put({8}, kRed);
  EXPECT_EQ(std::make_tuple(platform.files.size(), platform.clipboardFormats.size(), platform.log.find("beep")),
            std::make_tuple(4u, 1u, std::string::npos));
  EXPECT_EQ(platform.status, L"前と同じ画像のため、保存しませんでした。");
  platform.checks[OptionItem::SkipRepeats] = false;
  platform.Put({8}, kRed);
  EXPECT_EQ(std::make_tuple(platform.files.size(), platform.status), std::make_tuple(5u, std::wstring()));
}

// With PNG files, a PNG that its program offers is written as its bytes,
// beside a bitmap too, up to its end marker; one that fails the checks, and
// any with BMP files, go the usual way; text still refuses the contents.
TEST_F(SaveOptions, AnOfferedPngKeptAsItCame) {
  const int png = platform.ClipboardFormatNamed(L"PNG");
  Bytes offered = testing::MakePng(1, 1, 2, testing::StoredZlib({0, 9, 8, 7}));
  const std::size_t length = offered.size();
  offered.resize(length + 5, 0xEE);  // the clipboard's memory rounded up
  Bytes damaged = offered;
  damaged[length - 20] ^= 1;
  platform.formatData[png] = offered;
  platform.checks[OptionItem::SavePng] = true;
  platform.Put({2, 8, png}, kRed);
  EXPECT_EQ(platform.files[L"C:\\Shots\\BMP0000.PNG"], Bytes(offered.begin(), offered.begin() + length));
  platform.formatData[png] = damaged;
  platform.Put({2, 8, png}, kRed);
  platform.checks[OptionItem::SavePng] = false;
  platform.formatData[png] = offered;
  platform.Put({2, 8, png}, kRed);
  platform.checks[OptionItem::SavePng] = true;
  platform.Put({1, 2, 8, png}, kRed);
  EXPECT_EQ(Files(), L"BMP0000.PNG BMP0001.PNG BMP0002.BMP ");
  EXPECT_EQ(platform.files[L"C:\\Shots\\BMP0002.BMP"], kRed);
  const std::string& log = platform.log;
  EXPECT_NE(log.find("savebytes:C:\\Shots\\BMP0000.PNG"), std::string::npos);
  EXPECT_NE(log.find("savepng:C:\\Shots\\BMP0001.PNG"), std::string::npos);
}

}  // namespace pixkeeper
