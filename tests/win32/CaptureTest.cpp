// Captures of pictures that another process (clipboard_feeder) puts on the
// real clipboard, through the program's capture routine on the Windows
// platform. With PIXKEEPER_PIXEL_OUTPUT set to a folder, every captured file is
// copied there as <case>.bmp beside the feeder's <case>.rgb, so that a reader
// outside Windows can compare the pixels.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "support/TestPictures.h"
#include "ScratchDirectory.h"
#include "capture/Capture.h"
#include "capture/Program.h"
#include "platform/win32/Win32Platform.h"

namespace pixkeeper {
namespace {

using test::ReadFileBytes;
using test::ScratchDirectory;

class RecordingWindow final : public MainWindowParts {
 public:
  void AppendToFileList(const std::wstring& path) override { entries.push_back(path); }
  bool IsChecked(OptionItem) const override { return false; }
  void SetChecked(OptionItem, bool) override {}

  std::vector<std::wstring> entries;
};

std::wstring PixelOutputFolder() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"PIXKEEPER_PIXEL_OUTPUT", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  std::wstring result(folder, length);
  if (result.back() != L'\\') result.push_back(L'\\');
  return result;
}

bool ClipboardIsFree() { return ::GetOpenClipboardWindow() == nullptr; }

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseDirectory(directory.path());
    program.state.NamingScheme = naming_scheme::kRunningNumber;
    program.state.PresentValue = 1;
  }

  void UseDirectory(const std::wstring& path) { program.state.BaseDir = path; }

  // Puts the picture on the clipboard and names the file after the case. For
  // a capture whose pixels are to be checked, the expected pixels go to the
  // output folder.
  void Feed(const std::wstring& form, const std::wstring& caseName, bool checkPixels = true) {
    program.state.FilePrefix = caseName;
    const std::wstring output = PixelOutputFolder();
    const std::wstring expected =
        output.empty() || !checkPixels ? std::wstring() : output + caseName + L".rgb";
    std::wstring arguments = form;
    if (!expected.empty()) arguments += L" \"" + expected + L"\"";
    ASSERT_EQ(0u, test::RunTestProgram(L"clipboard_feeder.exe", arguments)) << "the feeder failed";
    sequenceAfterFeed = ::GetClipboardSequenceNumber();
  }

  std::wstring SavedPath(const std::wstring& caseName) const {
    return program.state.BaseDir + caseName + L"0001.BMP";
  }

  // What every successful capture leaves: the file, exactly its path in the
  // list, an empty clipboard that nobody holds open.
  void ExpectCaptured(const std::wstring& caseName) {
    const std::wstring path = SavedPath(caseName);
    ASSERT_TRUE(platform.FileExists(path));
    EXPECT_EQ(std::vector<std::wstring>{path}, window.entries);
    EXPECT_EQ(0, ::CountClipboardFormats());
    EXPECT_TRUE(ClipboardIsFree());
    EXPECT_TRUE(program.Pic.empty());
    EXPECT_EQ(0, program.state.CaptureBusy);
    const std::wstring output = PixelOutputFolder();
    if (!output.empty()) {
      ASSERT_TRUE(::CopyFileW(path.c_str(), (output + caseName + L".bmp").c_str(), FALSE));
    }
  }

  // What every capture that did not happen leaves: no entry, the picture still
  // on the clipboard exactly as it was fed, and the clipboard free for others.
  void ExpectNothingTaken() {
    EXPECT_TRUE(window.entries.empty());
    EXPECT_EQ(sequenceAfterFeed, ::GetClipboardSequenceNumber());
    EXPECT_TRUE(::IsClipboardFormatAvailable(CF_DIB) || ::IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(ClipboardIsFree());
    EXPECT_EQ(0, program.state.CaptureBusy);
  }

  Win32Platform platform;
  RecordingWindow window;
  Program program{platform, window};
  ScratchDirectory directory{L"pixkeeper-capture"};
  DWORD sequenceAfterFeed = 0;
};

TEST_F(CaptureTest, ADeviceDependentBitmapIsSavedIntoAJapaneseDirectory) {
  ScratchDirectory japanese(L"スクリーン ショット");
  UseDirectory(japanese.path());
  Feed(L"ddb", L"ddb");
  CaptureClipboard(program);
  ExpectCaptured(L"ddb");
}

// DIBs of every common kind reach the file byte for byte.
class CaptureDibTest : public CaptureTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(CaptureDibTest, IsSavedUnchangedBehindAFileHeader) {
  const std::string kind = GetParam();
  const std::wstring name(kind.begin(), kind.end());
  Feed(name, name);
  CaptureClipboard(program);
  ExpectCaptured(name);

  const std::vector<std::uint8_t> dib = testing::MakeTestPicture(kind).dib;
  const std::vector<std::uint8_t> file = ReadFileBytes(SavedPath(name));
  ASSERT_EQ(14 + dib.size(), file.size());
  EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, CaptureDibTest,
                         ::testing::ValuesIn(testing::TestPictureNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_F(CaptureTest, TextTogetherWithABitmapIsLeftAlone) {
  Feed(L"text+bitmap", L"cells", false);
  CaptureClipboard(program);
  ExpectNothingTaken();
  EXPECT_TRUE(::IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(directory.FileNames().empty());
}

TEST_F(CaptureTest, AMissingSaveDirectoryLeavesNoFileAndThePictureOnTheClipboard) {
  UseDirectory(directory.path() + L"gone\\");
  Feed(L"rgb24", L"missing", false);
  CaptureClipboard(program);
  ExpectNothingTaken();
  EXPECT_FALSE(platform.FileExists(SavedPath(L"missing")));
  EXPECT_TRUE(directory.FileNames().empty());
}

TEST_F(CaptureTest, AReadOnlyOlderFileIsKeptWhole) {
  const std::wstring older = directory.path() + L"kept0001.BMP";
  const std::vector<std::uint8_t> olderBytes(321, 0x77);
  test::WriteFileBytes(older, olderBytes);
  test::MakeReadOnly(older);

  Feed(L"rgb24", L"kept", false);
  CaptureClipboard(program);
  ExpectNothingTaken();
  EXPECT_EQ(olderBytes, ReadFileBytes(older));
  EXPECT_EQ(std::vector<std::wstring>{L"kept0001.BMP"}, directory.FileNames());
}

TEST_F(CaptureTest, TwoPicturesInTurnGiveTwoFilesInOrder) {
  Feed(L"rgb24", L"turn", false);
  CaptureClipboard(program);
  Feed(L"ddb", L"turn", false);
  CaptureClipboard(program);
  EXPECT_EQ((std::vector<std::wstring>{directory.path() + L"turn0001.BMP",
                                       directory.path() + L"turn0002.BMP"}),
            window.entries);
  EXPECT_EQ(0, ::CountClipboardFormats());
}

}  // namespace
}  // namespace pixkeeper
