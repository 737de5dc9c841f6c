#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "ErrorNumber.h"
#include "support/TestPictures.h"
#include "WaitWithMessages.h"
#include "platform/RuntimeError.h"
#include "platform/win32/Win32Platform.h"

namespace pixkeeper {
namespace {

using test::ErrorNumberOf;

// Puts data on the clipboard the way another program would, from a window
// of its own.
class ClipboardWriter {
 public:
  ClipboardWriter()
      : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr)) {}
  ~ClipboardWriter() { ::DestroyWindow(window_); }

  void PutDib(const std::vector<std::uint8_t>& dib, bool withText = false) {
    ASSERT_TRUE(::OpenClipboard(window_));
    ::EmptyClipboard();
    ::SetClipboardData(CF_DIB, Global(dib.data(), dib.size()));
    if (withText) {
      const wchar_t text[] = L"セル";
      ::SetClipboardData(CF_UNICODETEXT, Global(text, sizeof text));
    }
    ::CloseClipboard();
  }

  HWND window() const { return window_; }

 private:
  static HGLOBAL Global(const void* data, std::size_t size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(::GlobalLock(memory), data, size);
    ::GlobalUnlock(memory);
    return memory;
  }

  HWND window_;
};

std::wstring ClipboardUnicodeText() {
  if (!::OpenClipboard(nullptr)) return L"<cannot open>";
  std::wstring text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

class ClipboardTest : public ::testing::Test {
 protected:
  Win32Platform platform;
  ClipboardWriter writer;
  testing::TestPicture sample = testing::MakeTestPicture("rgb24");
};

TEST_F(ClipboardTest, SetTextLeavesOnlyThatTextAndClearEmptiesIt) {
  writer.PutDib(sample.dib);
  platform.ClipboardSetText(L"C:\\スクリーン\\BMP0001.BMP");

  EXPECT_TRUE(platform.ClipboardHasFormat(clipboard_format::kText));
  EXPECT_FALSE(platform.ClipboardHasFormat(clipboard_format::kDib));
  EXPECT_FALSE(platform.ClipboardHasFormat(clipboard_format::kBitmap));
  EXPECT_EQ(L"C:\\スクリーン\\BMP0001.BMP", ClipboardUnicodeText());
  EXPECT_EQ(nullptr, ::GetOpenClipboardWindow());

  platform.ClipboardClear();
  EXPECT_EQ(0, ::CountClipboardFormats());
  EXPECT_EQ(nullptr, ::GetOpenClipboardWindow());
}

TEST_F(ClipboardTest, ClearIfUnchangedEmptiesOnlyWhatWasRead) {
  writer.PutDib(sample.dib);
  const std::uint32_t seen = ::GetClipboardSequenceNumber();
  writer.PutDib(sample.dib, true);  // a newer change

  EXPECT_FALSE(platform.ClipboardClearIfUnchanged(seen));
  EXPECT_TRUE(platform.ClipboardHasFormat(clipboard_format::kText));

  EXPECT_TRUE(platform.ClipboardClearIfUnchanged(::GetClipboardSequenceNumber()));
  EXPECT_EQ(0, ::CountClipboardFormats());
}

TEST_F(ClipboardTest, ADibIsBorrowedInPlaceAndHoldsTheClipboardUntilReleased) {
  writer.PutDib(sample.dib);
  const DWORD sequence = ::GetClipboardSequenceNumber();

  for (int format : {clipboard_format::kDib, clipboard_format::kBitmap}) {
    ClipboardPicture taken = platform.ClipboardGetPicture(format);
    ASSERT_FALSE(taken.picture.empty()) << format;
    EXPECT_TRUE(taken.picture.borrowed());
    EXPECT_EQ(sequence, taken.sequence);
    EXPECT_EQ(sample.dib.size(), taken.picture.layout().totalSize);
    EXPECT_TRUE(std::equal(sample.dib.begin(), sample.dib.end(), taken.picture.data()));
    EXPECT_NE(nullptr, ::GetOpenClipboardWindow());

    // Emptying would free the memory the picture points into.
    EXPECT_EQ(error::kCannotOpenClipboard, ErrorNumberOf([&] { platform.ClipboardClear(); }));
    EXPECT_TRUE(std::equal(sample.dib.begin(), sample.dib.end(), taken.picture.data()));

    taken.picture = Picture();
    EXPECT_EQ(nullptr, ::GetOpenClipboardWindow());
  }

  ClipboardPicture detached = platform.ClipboardGetPicture(clipboard_format::kDib);
  detached.picture.Detach();
  EXPECT_EQ(nullptr, ::GetOpenClipboardWindow());
  platform.ClipboardClear();
  EXPECT_TRUE(std::equal(sample.dib.begin(), sample.dib.end(), detached.picture.data()));
}

TEST_F(ClipboardTest, TakingAPictureWhileOneIsBorrowedSharesTheOpenClipboard) {
  writer.PutDib(sample.dib);
  ClipboardPicture first = platform.ClipboardGetPicture(clipboard_format::kDib);
  ClipboardPicture second = platform.ClipboardGetPicture(clipboard_format::kDib);
  first.picture = std::move(second.picture);  // the older lease ends first
  EXPECT_NE(nullptr, ::GetOpenClipboardWindow());
  EXPECT_TRUE(std::equal(sample.dib.begin(), sample.dib.end(), first.picture.data()));
  first.picture = Picture();
  EXPECT_EQ(nullptr, ::GetOpenClipboardWindow());
}

TEST_F(ClipboardTest, AMalformedDibIsAnInvalidPictureAndReleasesTheClipboard) {
  std::vector<std::uint8_t> truncated(sample.dib.begin(), sample.dib.begin() + 60);
  writer.PutDib(truncated);
  EXPECT_EQ(error::kInvalidPicture,
            ErrorNumberOf([&] { platform.ClipboardGetPicture(clipboard_format::kDib); }));
  EXPECT_EQ(nullptr, ::GetOpenClipboardWindow());
}

// Another thread holds the clipboard open for `holdFor`.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(std::chrono::milliseconds holdFor) {
    thread_ = std::thread([this, holdFor] {
      ClipboardWriter own;
      opened_ = ::OpenClipboard(own.window()) != FALSE;
      ::SetEvent(ready_);
      std::this_thread::sleep_for(holdFor);
      if (opened_) ::CloseClipboard();
    });
    test::WaitWithMessages(ready_, 5000);
  }
  ~ClipboardHolder() {
    thread_.join();
    ::CloseHandle(ready_);
  }
  bool opened() const { return opened_; }

 private:
  HANDLE ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool opened_ = false;
  std::thread thread_;
};

TEST_F(ClipboardTest, OpeningWaitsForAnotherHolderForASecondThenGivesUp) {
  writer.PutDib(sample.dib);
  {
    // A holder that keeps it a few hundred milliseconds, as one that is not
    // scheduled on a busy machine does, is waited for.
    ClipboardHolder briefly(std::chrono::milliseconds(300));
    ASSERT_TRUE(briefly.opened());
    EXPECT_NO_THROW(platform.ClipboardClear());
  }
  writer.PutDib(sample.dib);
  {
    ClipboardHolder longer(std::chrono::milliseconds(2500));
    ASSERT_TRUE(longer.opened());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(error::kCannotOpenClipboard, ErrorNumberOf([&] { platform.ClipboardClear(); }));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_LT(waited, std::chrono::milliseconds(2400));
  }
  EXPECT_TRUE(platform.ClipboardHasFormat(clipboard_format::kDib));
}

}  // namespace
}  // namespace pixkeeper
