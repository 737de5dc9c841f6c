#pragma once
// What the PNG decoder needs of the system: COM made ready for the scope,
// the imaging factory, and failures turned into the program's errors.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "platform/RuntimeError.h"

namespace pixkeeper::win32 {

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
// coded (481).
inline void CheckWic(HRESULT result) {
  if (result == E_OUTOFMEMORY) throw RuntimeError(error::kOutOfMemory);
  if (FAILED(result)) throw RuntimeError(error::kInvalidPicture);
}

inline Microsoft::WRL::ComPtr<IWICImagingFactory> ImagingFactory() {
  Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
  CheckWic(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  return factory;
}

}  // namespace pixkeeper::win32
