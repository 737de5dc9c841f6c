#include "platform/win32/PngEncoder.h"

#include <windows.h>

#include <cstdlib>

#include "base/RuntimeError.h"
#include "image/PngWriter.h"
#include "platform/win32/Handles.h"

namespace pixkeeper::win32 {

void EncodePng(const Picture& picture, PngSink& sink) {
  if (picture.empty()) throw RuntimeError(error::kInvalidPicture);
  PngRows rows;
  if (PngRowsOf(picture, rows)) return pixkeeper::EncodePng(rows, sink);

  // Every other kind (16 bits, run-length coded, odd masks) drawn by the
  // system into 24 bits, which hold all of its colours.
  const DibLayout& l = picture.layout();
  const int width = l.width, height = static_cast<int>(std::abs(static_cast<long long>(l.height)));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) throw RuntimeError(error::kOutOfMemory);
  SelectedObject selected(dc.get(), bitmap.get());
  if (::StretchDIBits(dc.get(), 0, 0, width, height, 0, 0, width, height, picture.data() + l.pixelOffset,
                      reinterpret_cast<const BITMAPINFO*>(picture.data()), DIB_RGB_COLORS, SRCCOPY) == 0) {
    throw RuntimeError(error::kInvalidPicture);
  }
  ::GdiFlush();
  rows.width = static_cast<std::uint32_t>(width);
  rows.height = static_cast<std::uint32_t>(height);
  rows.bits = 24;
  rows.top = static_cast<const std::uint8_t*>(bits);
  rows.step = (static_cast<std::ptrdiff_t>(width) * 3 + 3) / 4 * 4;
  pixkeeper::EncodePng(rows, sink);
}

}  // namespace pixkeeper::win32
