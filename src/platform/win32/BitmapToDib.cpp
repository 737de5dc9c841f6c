#include "platform/win32/BitmapToDib.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "base/RuntimeError.h"
#include "platform/win32/Handles.h"

namespace pixkeeper::win32 {

namespace {

WORD DibDepthFor(int bitmapBits) {
  if (bitmapBits <= 1) return 1;
  if (bitmapBits <= 4) return 4;
  if (bitmapBits <= 8) return 8;
  // 16 bits would need masks to say which 16-bit layout is meant.
  if (bitmapBits <= 24) return 24;
  return 32;
}

}  // namespace

std::vector<std::uint8_t> DibFromBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) != sizeof info ||
      info.bmWidth <= 0 || info.bmHeight <= 0) {
    throw RuntimeError(error::kInvalidPicture);
  }
  const WORD depth = DibDepthFor(info.bmBitsPixel * info.bmPlanes);
  const std::size_t colours = depth <= 8 ? std::size_t{1} << depth : 0;
  const std::uint64_t stride = (static_cast<std::uint64_t>(info.bmWidth) * depth + 31) / 32 * 4;
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(info.bmHeight);
  const std::size_t pixelOffset = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
  if (imageSize > 0x7FFFFFFFu - pixelOffset) throw RuntimeError(error::kOutOfMemory);

  std::vector<std::uint8_t> dib;
  try {
    dib.assign(pixelOffset + static_cast<std::size_t>(imageSize), 0);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(error::kOutOfMemory);
  }
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = info.bmWidth;
  header.biHeight = info.bmHeight;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = depth;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(imageSize);
  header.biClrUsed = static_cast<DWORD>(colours);
  std::memcpy(dib.data(), &header, sizeof header);

  WindowDc screen(nullptr);
  if (!screen) throw RuntimeError(error::kOutOfMemory);
  const int lines = ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight),
                                dib.data() + pixelOffset, reinterpret_cast<BITMAPINFO*>(dib.data()),
                                DIB_RGB_COLORS);
  if (lines != info.bmHeight) throw RuntimeError(error::kInvalidPicture);

  // GetDIBits may rewrite the counts; the table is full-sized either way.
  std::memcpy(dib.data(), &header, sizeof header);
  return dib;
}

}  // namespace pixkeeper::win32
