#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/Capture.h"
#include "fakes/FakePlatform.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {
namespace {

class CaptureTest : public ::testing::Test {
 protected:
  CaptureTest() {
    state.BaseDir = L"C:\\Shots\\";
    state.FilePrefix = L"BMP";
    state.NamingScheme = naming_scheme::kRunningNumber;
    state.PresentValue = 12;
    // The notice of every clipboard change arrives nested, as on Windows.
    platform.onClipboardChange = [this] { CaptureClipboard(fake.program); };
  }

  // Puts a picture on the clipboard without a notice, as it was before the
  // notice that the test then delivers.
  void PutQuietly(const std::vector<std::uint8_t>& dib,
                  std::set<int> formats = {clipboard_format::kBitmap, clipboard_format::kDib}) {
    auto notice = std::move(platform.onClipboardChange);
    platform.PutPicture(dib, std::move(formats));
    platform.onClipboardChange = std::move(notice);
  }

  void ExpectNothingSaved() {
    EXPECT_TRUE(platform.files.empty());
    EXPECT_TRUE(fake.window.fileList.empty());
    EXPECT_EQ(platform.beeps, 0);
    EXPECT_EQ(state.CaptureBusy, 0);
  }

  FakeProgram fake;
  FakePlatform& platform = fake.platform;
  AppState& state = fake.program.state;
  const std::vector<std::uint8_t> red = TinyDib(255, 0, 0);
  const std::vector<std::uint8_t> blue = TinyDib(0, 0, 255);
};

TEST_F(CaptureTest, SavesThePictureListsItClearsTheClipboardAndBeeps) {
  PutQuietly(red);
  const std::uint32_t before = platform.clipboardSequence;
  CaptureClipboard(fake.program);

  const std::wstring path = L"C:\\Shots\\BMP0012.BMP";
  ASSERT_EQ(platform.files.count(path), 1u);
  EXPECT_EQ(platform.files[path], red);
  EXPECT_EQ(fake.window.fileList, std::vector<std::wstring>{path});
  EXPECT_TRUE(platform.clipboardFormats.empty());
  EXPECT_EQ(platform.clipboardSequence, before + 1);
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_TRUE(fake.program.Pic.empty());
  EXPECT_EQ(state.PresentValue, 13);
  EXPECT_EQ(state.CaptureBusy, 0);
  // The borrowed picture was let go before the clipboard was emptied.
  EXPECT_EQ(platform.changesWhileHeldOpen, 0);
  EXPECT_FALSE(platform.ClipboardHeldOpen());

  const std::vector<std::string> steps = {
      "ClipboardHasFormat(1)", "ClipboardHasFormat(2)", "ClipboardGetPicture(2)",
      "SaveBitmapFile",        "LoadPictureFile",       "AppendToFileList",
      "ClipboardClearIfUnchanged", "SoundBeep"};
  ASSERT_GE(platform.calls.size(), steps.size());
  EXPECT_EQ(std::vector<std::string>(platform.calls.begin(), platform.calls.begin() + 8), steps);
  // The nested notice of the clear finds an empty clipboard and does nothing.
  EXPECT_EQ(platform.CountCalls("ClipboardGetPicture(2)"), 1);
  EXPECT_EQ(platform.CountCalls("ClipboardGetPicture(8)"), 0);
}

TEST_F(CaptureTest, TextWithAPictureIsLeftAlone) {
  platform.onClipboardChange = nullptr;
  platform.PutTextAndPicture(L"A1\tB1", red);
  const std::uint32_t before = platform.clipboardSequence;
  CaptureClipboard(fake.program);
  ExpectNothingSaved();
  EXPECT_EQ(platform.clipboardSequence, before);
  EXPECT_EQ(platform.calls, std::vector<std::string>{"ClipboardHasFormat(1)"});
  EXPECT_EQ(state.PresentValue, 12);
}

TEST_F(CaptureTest, TakesTheDeviceIndependentBitmapOnlyWhenNoBitmapIsOffered) {
  PutQuietly(blue, {clipboard_format::kDib});
  CaptureClipboard(fake.program);
  EXPECT_EQ(platform.files[L"C:\\Shots\\BMP0012.BMP"], blue);
  EXPECT_EQ(platform.CountCalls("ClipboardGetPicture(8)"), 1);
  EXPECT_EQ(platform.CountCalls("ClipboardGetPicture(2)"), 0);
}

TEST_F(CaptureTest, NoPictureFormatMeansNothingHappens) {
  CaptureClipboard(fake.program);  // empty
  PutQuietly(red, {3});            // a metafile only
  CaptureClipboard(fake.program);
  ExpectNothingSaved();
  EXPECT_EQ(platform.clipboardFormats, std::set<int>{3});
}

TEST_F(CaptureTest, ANestedNoticeReturnsAtOnceAndOnlyAsksForAnotherRound) {
  PutQuietly(red);
  state.CaptureBusy = kTrue;
  CaptureClipboard(fake.program);
  EXPECT_TRUE(platform.calls.empty());
  EXPECT_EQ(state.CaptureBusy, kTrue);
  EXPECT_TRUE(state.CaptureRequested);
  EXPECT_EQ(state.PresentValue, 12);
}

TEST_F(CaptureTest, AMissingDirectoryKeepsTheClipboardAndUsesUpTheNumber) {
  platform.missingDirectories.insert(L"C:\\Shots\\");
  PutQuietly(red);
  const std::uint32_t before = platform.clipboardSequence;
  CaptureClipboard(fake.program);

  ExpectNothingSaved();
  EXPECT_EQ(platform.clipboardSequence, before);
  EXPECT_EQ(platform.clipboardDib, red);
  EXPECT_EQ(state.PresentValue, 13);
  // Pic keeps the picture, in its own memory: the clipboard is not held.
  ASSERT_FALSE(fake.program.Pic.empty());
  EXPECT_FALSE(fake.program.Pic.borrowed());
  EXPECT_FALSE(platform.ClipboardHeldOpen());

  platform.missingDirectories.clear();
  platform.PutPicture(blue);  // the next change
  EXPECT_EQ(platform.writtenPaths, std::vector<std::wstring>{L"C:\\Shots\\BMP0013.BMP"});
  EXPECT_EQ(platform.files[L"C:\\Shots\\BMP0013.BMP"], blue);
}

TEST_F(CaptureTest, FailuresBeforeTheWriteAreAbandonedSilently) {
  // The clipboard held by another program.
  PutQuietly(red);
  platform.clipboardLocked = true;
  CaptureClipboard(fake.program);
  ExpectNothingSaved();
  EXPECT_TRUE(fake.program.Pic.empty());
  platform.clipboardLocked = false;

  // A picture that is no valid bitmap.
  PutQuietly(std::vector<std::uint8_t>(10, 0));
  CaptureClipboard(fake.program);
  ExpectNothingSaved();

  // The running number overflows: Pic keeps the picture, detached.
  PutQuietly(red);
  state.PresentValue = 32767;
  CaptureClipboard(fake.program);
  ExpectNothingSaved();
  EXPECT_EQ(state.PresentValue, 32767);
  EXPECT_FALSE(fake.program.Pic.empty());
  EXPECT_FALSE(platform.ClipboardHeldOpen());
  EXPECT_EQ(platform.clipboardDib, red);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(CaptureTest, TwoPicturesInARowGiveTwoFilesInOrder) {
  platform.PutPicture(red);
  platform.PutPicture(blue);
  EXPECT_EQ(fake.window.fileList,
            (std::vector<std::wstring>{L"C:\\Shots\\BMP0012.BMP", L"C:\\Shots\\BMP0013.BMP"}));
  EXPECT_EQ(platform.files[L"C:\\Shots\\BMP0012.BMP"], red);
  EXPECT_EQ(platform.files[L"C:\\Shots\\BMP0013.BMP"], blue);
  EXPECT_EQ(platform.beeps, 2);
}

TEST_F(CaptureTest, APictureCopiedWhileTheSaveDialogIsOpenIsSavedToo) {
  state.NamingScheme = naming_scheme::kUserInput;
  SaveDialogScript first = SaveDialogScript::Choose(L"C:\\Shots\\first.BMP", L"first.BMP");
  first.whileOpen = [this] { platform.PutPicture(blue); };  // notice arrives while busy
  platform.saveDialogScripts.push_back(std::move(first));
  platform.saveDialogScripts.push_back(
      SaveDialogScript::Choose(L"C:\\Shots\\second.BMP", L"second.BMP"));

  platform.PutPicture(red);

  EXPECT_EQ(platform.files[L"C:\\Shots\\first.BMP"], red);
  EXPECT_EQ(platform.files[L"C:\\Shots\\second.BMP"], blue);
  EXPECT_EQ(fake.window.fileList,
            (std::vector<std::wstring>{L"C:\\Shots\\first.BMP", L"C:\\Shots\\second.BMP"}));
  EXPECT_EQ(platform.beeps, 2);
  EXPECT_TRUE(platform.clipboardFormats.empty());
  EXPECT_EQ(state.CaptureBusy, 0);
  EXPECT_FALSE(state.CaptureRequested);
  // The clipboard was free for the other program while each dialog was open.
  ASSERT_EQ(platform.saveDialogs.size(), 2u);
  EXPECT_FALSE(platform.saveDialogs[0].clipboardHeldOpen);
  EXPECT_FALSE(platform.saveDialogs[1].clipboardHeldOpen);
  EXPECT_EQ(platform.changesWhileHeldOpen, 0);
}

TEST_F(CaptureTest, TheUserInputSchemeCancelledOrEmptyName) {
  state.NamingScheme = naming_scheme::kUserInput;
  platform.saveDialogScripts.push_back(SaveDialogScript::Cancel());
  platform.saveDialogScripts.push_back(SaveDialogScript::Choose(L"", L""));
  platform.PutPicture(red);
  EXPECT_EQ(platform.writtenPaths, std::vector<std::wstring>{L"C:\\Shots\\USERINPUT.BMP"});
  // An empty name leaves only the directory to write to, which fails.
  platform.PutPicture(blue);
  EXPECT_EQ(platform.writtenPaths.size(), 1u);
  EXPECT_EQ(fake.window.fileList.size(), 1u);
  EXPECT_EQ(platform.clipboardDib, blue);
}

TEST_F(CaptureTest, EndingTheProgramFromTheDialogIsNotSwallowed) {
  state.NamingScheme = naming_scheme::kUserInput;
  platform.saveDialogScripts.push_back(SaveDialogScript::Fail(error::kOutOfMemory));
  PutQuietly(red);
  EXPECT_THROW(CaptureClipboard(fake.program), ProgramEnded);
  EXPECT_TRUE(platform.programEnded);
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(state.CaptureBusy, 0);
}

}  // namespace
}  // namespace pixkeeper
