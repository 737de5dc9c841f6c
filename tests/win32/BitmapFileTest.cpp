#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "SamplePictures.h"
#include "ScratchDirectory.h"
#include "platform/RuntimeError.h"
#include "platform/win32/Win32Platform.h"

namespace pixkeeper {
namespace {

using test::ReadFileBytes;
using test::ScratchDirectory;

int ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

class BitmapFileTest : public ::testing::Test {
 protected:
  Win32Platform platform;
  ScratchDirectory directory;
  test::SamplePicture sample = test::MakeSamplePicture("rgb24");
  Picture picture = Picture::Own(sample.dib);
};

TEST_F(BitmapFileTest, WritesTheFileHeaderFollowedByTheDibAndReadsItBack) {
  const std::wstring path = directory.path() + L"BMP0001.BMP";
  platform.SaveBitmapFile(picture, path);

  const std::vector<std::uint8_t> file = ReadFileBytes(path);
  ASSERT_EQ(14 + sample.dib.size(), file.size());
  EXPECT_EQ('B', file[0]);
  EXPECT_EQ('M', file[1]);
  const std::uint32_t fileSize = file[2] | file[3] << 8 | file[4] << 16 | file[5] << 24;
  const std::uint32_t pixelOffset = file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24;
  EXPECT_EQ(file.size(), fileSize);
  EXPECT_EQ(14u + 40u, pixelOffset);
  EXPECT_TRUE(std::equal(sample.dib.begin(), sample.dib.end(), file.begin() + 14));

  const Picture loaded = platform.LoadPictureFile(path);
  ASSERT_FALSE(loaded.empty());
  EXPECT_FALSE(loaded.borrowed());
  EXPECT_TRUE(std::equal(sample.dib.begin(), sample.dib.end(), loaded.data()));
  EXPECT_EQ(std::vector<std::wstring>{L"BMP0001.BMP"}, directory.FileNames());
}

TEST_F(BitmapFileTest, ReplacesAnOlderFileOfTheSameName) {
  const std::wstring path = directory.path() + L"USERINPUT.BMP";
  test::WriteFileBytes(path, std::vector<std::uint8_t>(5000, 0xAB));
  platform.SaveBitmapFile(picture, path);
  EXPECT_EQ(14 + sample.dib.size(), ReadFileBytes(path).size());
  EXPECT_EQ(1u, directory.FileNames().size());
}

TEST_F(BitmapFileTest, JapaneseDirectoryAndFileNamesWork) {
  ScratchDirectory japanese(L"スクリーン");
  const std::wstring path = japanese.path() + L"画像ﾌｧｲﾙ０１.BMP";
  platform.SaveBitmapFile(picture, path);
  EXPECT_TRUE(platform.FileExists(path));
  EXPECT_EQ(14 + sample.dib.size(), ReadFileBytes(path).size());
  EXPECT_FALSE(platform.LoadPictureFile(path).empty());
}

TEST_F(BitmapFileTest, AMissingDirectoryRaisesPathNotFoundAndLeavesNoFile) {
  const std::wstring missing = directory.path() + L"gone\\";
  EXPECT_EQ(error::kPathNotFound,
            ErrorNumberOf([&] { platform.SaveBitmapFile(picture, missing + L"BMP0001.BMP"); }));
  EXPECT_FALSE(platform.FileExists(missing + L"BMP0001.BMP"));
  EXPECT_TRUE(directory.FileNames().empty());
}

TEST_F(BitmapFileTest, AReadOnlyOlderFileStaysWholeAndNoTemporaryFileIsLeft) {
  const std::wstring path = directory.path() + L"BMP0002.BMP";
  const std::vector<std::uint8_t> older(777, 0x5A);
  test::WriteFileBytes(path, older);
  test::MakeReadOnly(path);

  const int number = ErrorNumberOf([&] { platform.SaveBitmapFile(picture, path); });
  EXPECT_TRUE(number == error::kPathFileAccess || number == error::kPermissionDenied) << number;
  EXPECT_EQ(older, ReadFileBytes(path));
  EXPECT_EQ(std::vector<std::wstring>{L"BMP0002.BMP"}, directory.FileNames());
}

TEST_F(BitmapFileTest, PathsThatNameNoFileAreRefusedWithoutLeftovers) {
  EXPECT_EQ(error::kInvalidPicture,
            ErrorNumberOf([&] { platform.SaveBitmapFile(Picture(), directory.path() + L"A.BMP"); }));
  // The user-input scheme with an empty choice writes to the directory itself.
  EXPECT_EQ(error::kPathFileAccess,
            ErrorNumberOf([&] { platform.SaveBitmapFile(picture, directory.path()); }));
  EXPECT_EQ(error::kBadFileName,
            ErrorNumberOf([&] { platform.SaveBitmapFile(picture, directory.path() + L"a?b"); }));
  EXPECT_TRUE(directory.FileNames().empty());
}

TEST_F(BitmapFileTest, LoadingGivesTheEmptyPictureForNoPathAndRaisesForBadFiles) {
  EXPECT_TRUE(platform.LoadPictureFile(L"").empty());
  EXPECT_EQ(error::kFileNotFound,
            ErrorNumberOf([&] { platform.LoadPictureFile(directory.path() + L"none.BMP"); }));
  const std::wstring text = directory.path() + L"text.BMP";
  test::WriteFileBytes(text, {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(error::kInvalidPicture, ErrorNumberOf([&] { platform.LoadPictureFile(text); }));
}

TEST_F(BitmapFileTest, FileExistsOnlyForFiles) {
  const std::wstring path = directory.path() + L"ある.BMP";
  test::WriteFileBytes(path, {1});
  EXPECT_TRUE(platform.FileExists(path));
  EXPECT_FALSE(platform.FileExists(directory.path()));
  EXPECT_FALSE(platform.FileExists(directory.path() + L"ない.BMP"));
  EXPECT_FALSE(platform.FileExists(L""));
}

}  // namespace
}  // namespace pixkeeper
