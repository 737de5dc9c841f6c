// The Windows layer's own decisions, which a driver outside the program
// cannot reach: bitmaps without a DIB, the run-time numbers of system errors,
// the command line, the program's folder, refused writes, settings sections, pictures borrowed from the clipboard and the steps
// handed to the window's thread.

#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "base/RuntimeError.h"
#include "platform/Platform.h"
#include "platform/win32/BitmapFile.h"
#include "platform/win32/BitmapToDib.h"
#include "platform/win32/Clipboard.h"
#include "platform/win32/Environment.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WindowFunctions.h"
#include "platform/win32/WindowTasks.h"

namespace pixkeeper::win32 {
namespace {

// Only when the clipboard offers no DIB is a bitmap converted: two colours
// stay two with their table, and every pixel is kept. (Screen bitmaps are
// captured end to end, pixel for pixel.)
TEST(BitmapToDibTest, TwoColoursKeepTheirTableAndPixels) {
  const WORD rows[2] = {0x00A0, 0x0050};  // 1 0 1 and 0 1 0, 1 white
  GdiObject mono(CreateBitmap(3, 2, 1, 1, rows));
  const Picture two = Picture::Own(DibFromBitmap(static_cast<HBITMAP>(mono.get())));
  ASSERT_EQ(std::make_pair(1u, 2u), std::make_pair(unsigned{two.layout().bitCount}, two.layout().colorCount));
  const std::uint8_t* table = two.data() + two.layout().headerSize;
  const std::uint8_t* bits = two.data() + two.layout().pixelOffset;
  const int white = table[4] == 255 ? 1 : 0;
  EXPECT_EQ(255 * (1 - white), table[0]);
  for (int i = 0; i < 6; ++i) {  // bottom-up: the file's first row is the bitmap's second
    const int set = rows[1 - i / 3] >> (7 - i % 3) & 1;
    EXPECT_EQ(set ? white : 1 - white, bits[i / 3 * 4] >> (7 - i % 3) & 1) << i;
  }
  try { DibFromBitmap(nullptr), ADD_FAILURE() << "no error for no bitmap"; } catch (const RuntimeError& e) {
    EXPECT_EQ(error::kInvalidPicture, e.number());
  }
}

TEST(Win32LayerTest, ErrorNumbersCommandLineFolderAndHook) {
  EXPECT_EQ(error::kPathNotFound, ErrorNumberFor(ERROR_PATH_NOT_FOUND, 5));
  EXPECT_EQ(error::kPathFileAccess, ErrorNumberFor(ERROR_ACCESS_DENIED, 5));
  EXPECT_EQ(error::kDiskFull, ErrorNumberFor(ERROR_HANDLE_DISK_FULL, 5));
  EXPECT_EQ(5, ErrorNumberFor(ERROR_INVALID_FUNCTION, 5));
  EXPECT_EQ(L"/CLEAR", ArgumentsAfterProgramName(L"\"C:\\ピク\\p.exe\"/CLEAR"));
  EXPECT_EQ(L"", ArgumentsAfterProgramName(L"\"unclosed quote /CLEAR"));
  EXPECT_EQ(L"C:\\", FolderOfPath(L"C:\\Pixkeeper.exe"));
  // The hook lets no exception of its handler out into the system's dispatch.
  SetHookHandler([](void*, WindowHandle, unsigned message, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    return message == WM_USER ? throw RuntimeError(5) : 7;
  }, nullptr);
  const auto hook = reinterpret_cast<WNDPROC>(HookProcedure());
  EXPECT_EQ(std::make_pair(hook(nullptr, WM_USER, 0, 0), hook(nullptr, WM_APP, 0, 0)), std::make_pair(LRESULT{0}, LRESULT{7}));
  SetHookHandler(nullptr, nullptr);
}

template <typename Call>
int ErrorOf(Call call) try { return call(), 0; } catch (const RuntimeError& e) { return e.number(); }

TEST(Win32LayerTest, RefusedWritesSettingsSectionsAndBorrowedPictures) {
  // Nothing is written for an empty picture, a directory or a name Windows
  // refuses; a directory is no file.
  wchar_t temp[MAX_PATH];
  const std::wstring folder(temp, GetTempPathW(MAX_PATH, temp));
  const std::uint8_t dib[44] = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24};
  const Picture picture = Picture::Own({dib, dib + 44}), none;
  EXPECT_EQ(481, ErrorOf([&] { SavePictureFile(none, folder + L"pk.BMP", FileFormat::kBmp); }));
  EXPECT_EQ(75, ErrorOf([&] { SavePictureFile(picture, folder, FileFormat::kBmp); }));
  EXPECT_EQ(52, ErrorOf([&] { SavePictureFile(picture, folder + L"a?b.BMP", FileFormat::kPng); }));
  EXPECT_FALSE(FileExists(folder) || FileExists(L""));
  // A file of the name is never replaced.
  const std::wstring kept = folder + L"pk-kept.BMP";
  DeleteFileW(kept.c_str());
  SaveBytesFile({1, 2, 3}, kept);
  EXPECT_EQ(58, ErrorOf([&] { SavePictureFile(picture, kept, FileFormat::kPng); }));
  EXPECT_EQ(58, ErrorOf([&] { SaveBytesFile({4}, kept); }));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  EXPECT_TRUE(GetFileAttributesExW(kept.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow == 3);
  DeleteFileW(kept.c_str());
  // Deleting one section keeps the others; a missing one is no error.
  WriteSetting(L"PixkeeperTest", L"A", L"k", L"a"), WriteSetting(L"PixkeeperTest", L"B", L"k", L"b");
  DeleteSettingSection(L"PixkeeperTest", L"A"), DeleteSettingSection(L"PixkeeperTest", L"A");
  EXPECT_EQ(L"- b", ReadSetting(L"PixkeeperTest", L"A", L"k", L"-") + L" " + ReadSetting(L"PixkeeperTest", L"B", L"k", L"-"));
  DeleteSettingSection(L"PixkeeperTest", L"B");
  // A DIB is read in place and holds the clipboard open until let go; a
  // second read shares it, and emptying waits for both.
  Clipboard clipboard;
  clipboard.SetText(L"x");
  ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard());
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 44);
  std::copy(dib, dib + 44, static_cast<std::uint8_t*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  ASSERT_TRUE(SetClipboardData(CF_DIB, memory) && CloseClipboard());
  ClipboardPicture first = clipboard.GetPicture(CF_DIB), second = clipboard.GetPicture(CF_DIB);
  EXPECT_TRUE(first.picture.borrowed() && second.picture.data() == first.picture.data());
  const auto othersOpen = [] {
    return std::async(std::launch::async, [] { return OpenClipboard(nullptr) && CloseClipboard(); }).get();
  };
  const std::uint32_t sequence = clipboard.Sequence();
  EXPECT_TRUE(!othersOpen() && ErrorOf([&] { clipboard.ClearIfUnchanged(sequence); }) == 521);
  first.picture.Detach();
  EXPECT_FALSE(othersOpen());
  second.picture = Picture();
  // Emptied, it has a new number, the one it answers; an old one empties nothing.
  std::optional<std::uint32_t> emptied;
  EXPECT_TRUE(othersOpen() && ErrorOf([&] { emptied = clipboard.ClearIfUnchanged(sequence); }) == 0);
  EXPECT_TRUE(emptied && *emptied != sequence && *emptied == clipboard.Sequence() && CountClipboardFormats() == 0);
  clipboard.SetText(L"y");
  EXPECT_FALSE(clipboard.ClearIfUnchanged(*emptied));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

// Another process can post the steps' message too: only a step handed over
// here and not yet run is run, and only as the kind it was handed over as.
TEST(WindowTasksTest, RunsOnlyTheStepsHandedOver) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  WindowTasks tasks;
  tasks.Attach(window);
  int ran = 0;
  std::function<void()> forged = [&] { ran += 100; };
  const UINT message = RegisterWindowMessageW(L"Pixkeeper.WindowStep");
  EXPECT_TRUE(tasks.Handle(message, 0, reinterpret_cast<LPARAM>(&forged)));
  MSG posted{};
  for (WPARAM kind : {0, 1}) {  // the true kind is 0
    tasks.Post([&] { ++ran; });
    EXPECT_TRUE(PeekMessageW(&posted, window, message, message, PM_REMOVE) && tasks.Handle(message, kind, posted.lParam));
  }
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(tasks.Handle(message, posted.wParam, posted.lParam));
  EXPECT_TRUE(tasks.Handle(message, posted.wParam, posted.lParam));  // a second time: not run again
  EXPECT_EQ(ran, 2);
  DestroyWindow(window);
}

}  // namespace
}  // namespace pixkeeper::win32
