#include "platform/win32/PngDecoder.h"

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

#include "platform/Png.h"
#include "platform/RuntimeError.h"
#include "platform/win32/ComScope.h"

namespace pixkeeper::win32 {

using Microsoft::WRL::ComPtr;

namespace {

void Check(HRESULT result) {
  if (result == E_OUTOFMEMORY) throw RuntimeError(error::kOutOfMemory);
  if (FAILED(result)) throw RuntimeError(error::kInvalidPicture);
}

}  // namespace

Picture DecodePng(const std::uint8_t* data, std::size_t size) {
  // Nothing reaches the decoder that promises more than the program takes.
  const PngSize png = CheckPng(data, size);
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_PPV_ARGS(&factory)));
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(&stream));
  Check(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)));
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.Get(), &GUID_ContainerFormatPng,
                                         WICDecodeMetadataCacheOnDemand, &decoder));
  GUID container{};
  Check(decoder->GetContainerFormat(&container));
  if (container != GUID_ContainerFormatPng) throw RuntimeError(error::kInvalidPicture);
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, &frame));
  UINT width = 0, height = 0;
  Check(frame->GetSize(&width, &height));
  if (width != png.width || height != png.height) throw RuntimeError(error::kInvalidPicture);
  ComPtr<IWICBitmapSource> bgra;
  Check(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &bgra));
  // The header check bounds this to 256 MB.
  const UINT stride = width * 4;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * height);
  Check(bgra->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data()));
  return Picture::Own(DibFromBgra(png, pixels.data()));
}

}  // namespace pixkeeper::win32
