#pragma once
// The soak tool's clipboard owner.

#include <windows.h>

#include <cstring>
#include <functional>

#include "SoakPictures.h"

namespace pixkeeper::soak {

// Owns what is put on the clipboard. Whoever empties the clipboard sends its
// window WM_DESTROYCLIPBOARD and waits for the answer, so every wait here
// keeps answering messages.
class Feeder {
 public:
  Feeder() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PkSoakOwner";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Feeder() { DestroyWindow(window_); }

  // Answers messages until `done` or `ms` have passed.
  static bool WaitFor(const std::function<bool()>& done, int ms) {
    const DWORD start = GetTickCount();
    for (;;) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      if (done()) return true;
      if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
  }
  static void Pump(int ms) { WaitFor([] { return false; }, ms); }

  // Empties the clipboard and puts what `fill` sets; `emptied` is cleared
  // then, so that it tells of the next program that empties it.
  bool Put(const std::function<bool()>& fill) {
    if (!WaitFor([&] { return OpenClipboard(window_) != FALSE; }, 5000)) return false;
    EmptyClipboard();
    const bool ok = fill();
    emptied_ = false;
    CloseClipboard();
    return ok;
  }
  static bool PutData(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return false;
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) != nullptr) return true;
    GlobalFree(memory);
    return false;
  }
  // A device-dependent bitmap of the screen's format made from the DIB.
  static bool PutBitmap(const Bytes& dib) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const std::size_t colours = header.biBitCount <= 8 ? (header.biClrUsed ? header.biClrUsed : 1u << header.biBitCount) : 0;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, dib.data() + header.biSize + colours * 4, info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (bitmap == nullptr) return false;
    if (SetClipboardData(CF_BITMAP, bitmap) != nullptr) return true;
    DeleteObject(bitmap);
    return false;
  }
  bool emptied() const { return emptied_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROYCLIPBOARD) {
      auto* self = reinterpret_cast<Feeder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (self != nullptr) self->emptied_ = true;
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  bool emptied_ = false;
};

}  // namespace pixkeeper::soak
