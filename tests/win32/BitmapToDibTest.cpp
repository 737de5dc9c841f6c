#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/Picture.h"
#include "platform/RuntimeError.h"
#include "platform/win32/BitmapToDib.h"

namespace pixkeeper::win32 {
namespace {

COLORREF ColourAt(int x, int y) {
  return RGB((x * 40 + 10) & 0xFF, (y * 50 + 20) & 0xFF, (x * y * 30 + 5) & 0xFF);
}

// The RGB of pixel (x, y), counted from the top, of a bottom-up 24/32-bit DIB.
COLORREF DibPixel(const Picture& picture, int x, int y) {
  const DibLayout& layout = picture.layout();
  const int bytesPerPixel = layout.bitCount / 8;
  const std::size_t stride = (static_cast<std::size_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
  const std::uint8_t* p = picture.data() + layout.pixelOffset +
                          stride * static_cast<std::size_t>(layout.height - 1 - y) +
                          static_cast<std::size_t>(x) * bytesPerPixel;
  return RGB(p[2], p[1], p[0]);
}

TEST(BitmapToDibTest, AScreenBitmapKeepsEveryPixelAndItsDepth) {
  constexpr int kWidth = 5;
  constexpr int kHeight = 3;
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, kWidth, kHeight);
  ASSERT_NE(nullptr, bitmap);
  HDC memory = ::CreateCompatibleDC(screen);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) ::SetPixel(memory, x, y, ColourAt(x, y));
  }
  ::SelectObject(memory, previous);  // a selected bitmap cannot be read
  ::DeleteDC(memory);
  const int screenBits = ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(nullptr, screen);

  const Picture picture = Picture::Own(DibFromBitmap(bitmap));
  ::DeleteObject(bitmap);

  EXPECT_EQ(kWidth, picture.layout().width);
  EXPECT_EQ(kHeight, picture.layout().height);
  EXPECT_EQ(screenBits == 32 ? 32 : 24, picture.layout().bitCount);
  EXPECT_EQ(0u, picture.layout().compression);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      EXPECT_EQ(ColourAt(x, y), DibPixel(picture, x, y)) << x << "," << y;
    }
  }
}

TEST(BitmapToDibTest, AMonochromeBitmapBecomesATwoColourDib) {
  // Rows of 16 bits, top row first: 1 is white, 0 black.
  const WORD rows[2] = {0x00A0, 0x0050};  // bytes A0 00 and 50 00
  HBITMAP bitmap = ::CreateBitmap(3, 2, 1, 1, rows);
  ASSERT_NE(nullptr, bitmap);
  const Picture picture = Picture::Own(DibFromBitmap(bitmap));
  ::DeleteObject(bitmap);

  const DibLayout& layout = picture.layout();
  ASSERT_EQ(1, layout.bitCount);
  ASSERT_EQ(2u, layout.colorCount);
  RGBQUAD table[2];
  std::memcpy(table, picture.data() + layout.headerSize, sizeof table);
  const std::uint8_t* pixels = picture.data() + layout.pixelOffset;
  // Bottom-up: the file's first row is the bitmap's second one (0 1 0).
  const int whiteIndex = table[1].rgbRed == 255 ? 1 : 0;
  EXPECT_EQ(255, table[whiteIndex].rgbGreen);
  EXPECT_EQ(0, table[1 - whiteIndex].rgbGreen);
  const auto bit = [&](int row, int x) { return (pixels[row * 4] >> (7 - x)) & 1; };
  EXPECT_EQ(whiteIndex, bit(0, 1));
  EXPECT_EQ(1 - whiteIndex, bit(0, 0));
  EXPECT_EQ(whiteIndex, bit(1, 0));
  EXPECT_EQ(1 - whiteIndex, bit(1, 1));
  EXPECT_EQ(whiteIndex, bit(1, 2));
}

TEST(BitmapToDibTest, SomethingThatIsNoBitmapIsAnInvalidPicture) {
  try {
    DibFromBitmap(nullptr);
    FAIL() << "no error raised";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(error::kInvalidPicture, e.number());
  }
  HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_THROW(DibFromBitmap(reinterpret_cast<HBITMAP>(brush)), RuntimeError);
  ::DeleteObject(brush);
}

}  // namespace
}  // namespace pixkeeper::win32
