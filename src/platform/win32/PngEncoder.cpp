#include "platform/win32/PngEncoder.h"

#include <cstdlib>
#include <cstring>

#include "platform/DibAlpha.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wic.h"

namespace pixkeeper::win32 {

using Microsoft::WRL::ComPtr;

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;

// The picture's rows from the top, in a pixel format the encoder takes.
struct Rows {
  WICPixelFormatGUID format{};
  UINT width = 0, height = 0, stride = 0;
  std::vector<std::uint8_t> bytes;
  std::vector<WICColor> palette;
};

UINT RowBytes(UINT width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

// Row `y` from the top of the DIB's pixels as stored.
const std::uint8_t* DibRow(const Picture& picture, UINT stride, UINT y) {
  const DibLayout& l = picture.layout();
  const UINT rows = static_cast<UINT>(std::abs(static_cast<long long>(l.height)));
  return picture.data() + l.pixelOffset + static_cast<std::size_t>(l.topDown() ? y : rows - 1 - y) * stride;
}

// Plain 32-bit pixels: blue, green, red, then alpha or nothing.
bool IsPlain32(const DibLayout& l, const std::uint8_t* dib) {
  if (l.bitCount != 32) return false;
  if (l.compression == kBiRgb) return true;
  const std::uint8_t masks[12] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
  return l.compression == kBiBitfields && std::memcmp(dib + 40, masks, 12) == 0;
}

// Every other kind (16 bits, run-length coded, odd masks) drawn by the
// system into 24 bits, which hold all of its colours.
void DrawAs24(const Picture& picture, Rows& rows) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(rows.width), -static_cast<LONG>(rows.height),
                    1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) throw RuntimeError(error::kOutOfMemory);
  SelectedObject selected(dc.get(), bitmap.get());
  const auto* header = reinterpret_cast<const BITMAPINFO*>(picture.data());
  const int w = static_cast<int>(rows.width), h = static_cast<int>(rows.height);
  if (::StretchDIBits(dc.get(), 0, 0, w, h, 0, 0, w, h, picture.data() + picture.layout().pixelOffset, header,
                      DIB_RGB_COLORS, SRCCOPY) == 0) {
    throw RuntimeError(error::kInvalidPicture);
  }
  ::GdiFlush();
  const auto* from = static_cast<const std::uint8_t*>(bits);
  rows.bytes.assign(from, from + static_cast<std::size_t>(rows.stride) * rows.height);
}

Rows RowsOf(const Picture& picture) {
  const DibLayout& l = picture.layout();
  const std::uint8_t* dib = picture.data();
  Rows rows;
  rows.width = static_cast<UINT>(l.width);
  rows.height = static_cast<UINT>(std::abs(static_cast<long long>(l.height)));
  const bool palette = l.compression == kBiRgb && l.bitCount <= 8;
  const bool alpha = IsPlain32(l, dib) && l.alphaMask == 0xFF000000u && HasTransparency(l, dib);
  const unsigned bits = palette ? l.bitCount : alpha ? 32 : 24;
  rows.stride = RowBytes(rows.width, bits);
  rows.format = palette ? (bits == 1   ? GUID_WICPixelFormat1bppIndexed
                           : bits == 4 ? GUID_WICPixelFormat4bppIndexed
                                       : GUID_WICPixelFormat8bppIndexed)
                : alpha ? GUID_WICPixelFormat32bppBGRA
                        : GUID_WICPixelFormat24bppBGR;
  if (!(palette || alpha || (l.compression == kBiRgb && l.bitCount == 24) || IsPlain32(l, dib))) {
    DrawAs24(picture, rows);
    return rows;
  }
  rows.bytes.resize(static_cast<std::size_t>(rows.stride) * rows.height);
  const UINT dibStride = RowBytes(rows.width, l.bitCount);
  for (UINT y = 0; y < rows.height; ++y) {
    const std::uint8_t* from = DibRow(picture, dibStride, y);
    std::uint8_t* to = rows.bytes.data() + static_cast<std::size_t>(y) * rows.stride;
    if (l.bitCount != 32 || alpha) {
      std::memcpy(to, from, rows.stride);
      continue;
    }
    for (UINT x = 0; x < rows.width; ++x, from += 4, to += 3) std::memcpy(to, from, 3);
  }
  if (palette) {
    // Every index the pixels can hold has a colour, as the encoder asks.
    const std::size_t entry = l.headerSize == 12 ? 3 : 4;
    const std::uint8_t* table = dib + l.headerSize;
    for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
      const std::uint8_t* c = table + i * entry;
      rows.palette.push_back(i < l.colorCount ? 0xFF000000u | c[2] << 16 | c[1] << 8 | c[0] : 0xFF000000u);
    }
  }
  return rows;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Picture& picture) {
  if (picture.empty()) throw RuntimeError(error::kInvalidPicture);
  Rows rows = RowsOf(picture);
  if (rows.bytes.size() > 0xFFFFFFFFu) throw RuntimeError(error::kInvalidPicture);

  ComScope com;
  ComPtr<IWICImagingFactory> factory = ImagingFactory();
  ComPtr<IStream> stream;
  CheckWic(::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ComPtr<IWICBitmapEncoder> encoder;
  CheckWic(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder));
  CheckWic(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  CheckWic(encoder->CreateNewFrame(&frame, &options));
  CheckWic(frame->Initialize(options.Get()));
  CheckWic(frame->SetSize(rows.width, rows.height));
  WICPixelFormatGUID format = rows.format;
  CheckWic(frame->SetPixelFormat(&format));
  if (format != rows.format) throw RuntimeError(error::kInvalidPicture);  // would not be lossless
  if (!rows.palette.empty()) {
    ComPtr<IWICPalette> palette;
    CheckWic(factory->CreatePalette(&palette));
    CheckWic(palette->InitializeCustom(rows.palette.data(), static_cast<UINT>(rows.palette.size())));
    CheckWic(frame->SetPalette(palette.Get()));
  }
  CheckWic(frame->WritePixels(rows.height, rows.stride, static_cast<UINT>(rows.bytes.size()), rows.bytes.data()));
  CheckWic(frame->Commit());
  CheckWic(encoder->Commit());

  STATSTG stat{};
  CheckWic(stream->Stat(&stat, STATFLAG_NONAME));
  HGLOBAL memory = nullptr;
  CheckWic(::GetHGlobalFromStream(stream.Get(), &memory));
  GlobalLockGuard lock(memory);
  if (!lock) throw RuntimeError(error::kOutOfMemory);
  const auto* bytes = static_cast<const std::uint8_t*>(lock.data());
  return std::vector<std::uint8_t>(bytes, bytes + stat.cbSize.QuadPart);
}

}  // namespace pixkeeper::win32
