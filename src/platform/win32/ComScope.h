#pragma once
// COM made ready on the calling thread for as long as the scope lasts.

#include <objbase.h>

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

}  // namespace pixkeeper::win32
