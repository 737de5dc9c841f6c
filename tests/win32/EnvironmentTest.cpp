#include <windows.h>

#include <gtest/gtest.h>

#include "platform/RuntimeError.h"
#include "platform/win32/Environment.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Platform.h"

namespace pixkeeper::win32 {
namespace {

TEST(CommandLineTest, TheArgumentsFollowTheProgramNameQuotedOrNot) {
  EXPECT_EQ(L"/CLEAR", ArgumentsAfterProgramName(L"\"C:\\Program Files\\Pixkeeper.exe\" /CLEAR"));
  EXPECT_EQ(L"/clear x", ArgumentsAfterProgramName(L"Pixkeeper.exe  \t /clear x"));
  EXPECT_EQ(L"/CLEAR ", ArgumentsAfterProgramName(L"Pixkeeper /CLEAR "));
  EXPECT_EQ(L"/CLEAR", ArgumentsAfterProgramName(L"\"C:\\ピク\\p.exe\"/CLEAR"));
  EXPECT_EQ(L"", ArgumentsAfterProgramName(L"\"C:\\a b\\Pixkeeper.exe\""));
  EXPECT_EQ(L"", ArgumentsAfterProgramName(L"Pixkeeper.exe   "));
  EXPECT_EQ(L"", ArgumentsAfterProgramName(L"\"unclosed quote /CLEAR"));
  EXPECT_EQ(L"", ArgumentsAfterProgramName(L""));
}

TEST(ProgramDirectoryTest, HasNoTrailingSeparatorExceptAtADriveRoot) {
  EXPECT_EQ(L"C:\\Tools\\ピク", FolderOfPath(L"C:\\Tools\\ピク\\Pixkeeper.exe"));
  EXPECT_EQ(L"C:\\", FolderOfPath(L"C:\\Pixkeeper.exe"));
  EXPECT_EQ(L"\\\\server\\share", FolderOfPath(L"\\\\server\\share\\Pixkeeper.exe"));

  Win32Platform platform;
  wchar_t exe[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetModuleFileNameW(nullptr, exe, MAX_PATH));
  const std::wstring directory = platform.ProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_NE(L'\\', directory.back());
  EXPECT_EQ(0u, std::wstring(exe).rfind(directory + L"\\", 0));
}

TEST(ScreenSizeTest, IsThePixelSizeInTwipsAtTheScreensResolution) {
  Win32Platform platform;
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  const ScreenTwips size = platform.ScreenSize();
  EXPECT_DOUBLE_EQ(::GetSystemMetrics(SM_CXSCREEN) * 1440.0 / dpi, size.width);
  EXPECT_GT(size.height, 0.0);
}

TEST(ErrorMappingTest, SystemErrorsBecomeTheRuntimesNumbers) {
  EXPECT_EQ(error::kPathNotFound, ErrorNumberFor(ERROR_PATH_NOT_FOUND, 5));
  EXPECT_EQ(error::kFileNotFound, ErrorNumberFor(ERROR_FILE_NOT_FOUND, 5));
  EXPECT_EQ(error::kPathFileAccess, ErrorNumberFor(ERROR_ACCESS_DENIED, 5));
  EXPECT_EQ(error::kPermissionDenied, ErrorNumberFor(ERROR_SHARING_VIOLATION, 5));
  EXPECT_EQ(error::kDiskFull, ErrorNumberFor(ERROR_DISK_FULL, 5));
  EXPECT_EQ(error::kDiskFull, ErrorNumberFor(ERROR_HANDLE_DISK_FULL, 5));
  EXPECT_EQ(error::kBadFileName, ErrorNumberFor(ERROR_INVALID_NAME, 5));
  EXPECT_EQ(error::kOutOfMemory, ErrorNumberFor(ERROR_NOT_ENOUGH_MEMORY, 5));
  EXPECT_EQ(5, ErrorNumberFor(ERROR_INVALID_FUNCTION, 5));
  try {
    RaiseWin32Error(ERROR_DISK_FULL, 5);
    FAIL() << "no error raised";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(error::kDiskFull, e.number());
    EXPECT_EQ(ErrorText(error::kDiskFull), e.text());
  }
}

}  // namespace
}  // namespace pixkeeper::win32
