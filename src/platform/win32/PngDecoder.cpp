#include "platform/win32/PngDecoder.h"

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

#include "base/RuntimeError.h"
#include "image/Png.h"

namespace pixkeeper::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// COM made ready for the scope.
class ComScope {
 public:
  ComScope() {
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // Made ready before in another model: usable all the same, and not ours
    // to undo.
    if (result == RPC_E_CHANGED_MODE) return;
    if (FAILED(result)) throw RuntimeError(error::kOutOfMemory);
    initialized_ = true;
  }
  ~ComScope() {
    if (initialized_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_ = false;
};

// Out of memory is error 7; any other failure means the picture cannot be
// decoded (481).
void CheckWic(HRESULT result) {
  if (result == E_OUTOFMEMORY) throw RuntimeError(error::kOutOfMemory);
  if (FAILED(result)) throw RuntimeError(error::kInvalidPicture);
}

ComPtr<IWICImagingFactory> ImagingFactory() {
  ComPtr<IWICImagingFactory> factory;
  CheckWic(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  return factory;
}

}  // namespace

Picture DecodePng(const std::uint8_t* data, std::size_t size) {
  // Nothing reaches the decoder that promises more than the program takes.
  const PngSize png = CheckPng(data, size);
  ComScope com;
  ComPtr<IWICImagingFactory> factory = ImagingFactory();
  ComPtr<IWICStream> stream;
  CheckWic(factory->CreateStream(&stream));
  CheckWic(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)));
  ComPtr<IWICBitmapDecoder> decoder;
  CheckWic(factory->CreateDecoderFromStream(stream.Get(), &GUID_ContainerFormatPng,
                                         WICDecodeMetadataCacheOnDemand, &decoder));
  GUID container{};
  CheckWic(decoder->GetContainerFormat(&container));
  if (container != GUID_ContainerFormatPng) throw RuntimeError(error::kInvalidPicture);
  ComPtr<IWICBitmapFrameDecode> frame;
  CheckWic(decoder->GetFrame(0, &frame));
  UINT width = 0, height = 0;
  CheckWic(frame->GetSize(&width, &height));
  if (width != png.width || height != png.height) throw RuntimeError(error::kInvalidPicture);
  ComPtr<IWICBitmapSource> bgra;
  CheckWic(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &bgra));
  // The header check bounds this to 256 MB.
  const UINT stride = width * 4;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * height);
  CheckWic(bgra->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data()));
  return Picture::Own(DibFromBgra(png, pixels.data()));
}

}  // namespace pixkeeper::win32
