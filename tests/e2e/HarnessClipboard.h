// The harness's side of the clipboard: putting data on it as other programs
// do, reading it, hearing its changes in the viewer chain.
#pragma once

#include "HarnessWindows.h"
#include "support/TestPng.h"

namespace e2e {

inline bool PutClipboard(const std::function<bool()>& fill) {
  if (!Check(WaitFor([] { return OpenClipboard(owner) != FALSE; }, 3000), L"cannot open the clipboard")) return false;
  EmptyClipboard();
  const bool ok = fill();
  CloseClipboard();
  return Check(ok, L"cannot put data on the clipboard");
}
inline bool PutData(UINT format, const void* data, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::copy_n(static_cast<const char*>(data), size, static_cast<char*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  return SetClipboardData(format, memory) != nullptr;
}
// Data of one format, and of a second one when asked, as a program puts it.
inline void PutAs(UINT format, const void* data, std::size_t size, UINT also = 0, const Bytes& more = {}) {
  PutClipboard([&] { return PutData(format, data, size) && (!also || PutData(also, more.data(), more.size())); });
}
inline bool PutText(const wstring& text) { return PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * 2); }
enum class Form { kDib, kDibAndText, kBitmap };
// A test picture as another program puts it on the clipboard; a bitmap is
// made from it on the screen's format, and its DIB is then unknown.
inline Picture Put(const std::string& kind, int width = 0, Form form = Form::kDib, int height = 0) {
  Picture picture = MakeTestPicture(kind, width, height);
  PutClipboard([&] {
    if (form != Form::kBitmap) {
      // Text a moment after the picture, as a slow program puts both.
      return PutData(CF_DIB, picture.dib.data(), picture.dib.size()) && (form == Form::kDib || (Pause(150), PutText(L"セル A1")));
    }
    HDC screen = GetDC(nullptr);
    auto* info = reinterpret_cast<const BITMAPINFO*>(picture.dib.data());
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, picture.dib.data() + 40, info, 0);
    ReleaseDC(nullptr, screen);
    picture.dib.clear();
    return SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  });
  return picture;
}
inline wstring ClipText() {
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 3000)) return L"<cannot open>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<no text>";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  return text;
}
inline bool ClipEmpty(int ms) { return WaitFor([] { return CountClipboardFormats() == 0; }, ms); }

inline LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kIdleProbe) return idleAnswered = lParam, 0;
  auto found = viewers.find(window);
  if (found == viewers.end() || (message != WM_DRAWCLIPBOARD && message != WM_CHANGECBCHAIN)) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  Viewer& viewer = found->second;
  viewer.notices += message == WM_DRAWCLIPBOARD;
  if (message == WM_CHANGECBCHAIN && reinterpret_cast<HWND>(wParam) == viewer.next) {
    viewer.next = reinterpret_cast<HWND>(lParam);
  } else if (viewer.next != nullptr) {
    SendMessageW(viewer.next, message, wParam, lParam);
  }
  return 0;
}
inline HWND NewWindow(const wstring& title) {
  return CreateWindowExW(0, L"E2eWindow", title.c_str(), WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
}
inline HWND JoinViewer(const wstring& title = L"e2e viewer") {
  HWND window = NewWindow(title);
  viewers[window].next = SetClipboardViewer(window);
  return window;
}
inline void LeaveViewer(HWND window) {
  ChangeClipboardChain(window, viewers[window].next);
  viewers.erase(window);
  DestroyWindow(window);
}
// Pixkeeper takes up the clipboard's changes one at a time on a worker
// thread; a message sent to the worker's window is answered once every
// change noticed before it has been dealt with.
inline bool WorkerIdle() {
  if (WaitForSingleObject(pk, 0) == WAIT_OBJECT_0) return true;  // ended: nothing is left to do
  const DWORD id = GetProcessId(pk);
  static LPARAM asked = 0;
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, L"PixkeeperWorker", nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process != id) continue;
    const LPARAM cookie = ++asked;
    static HWND answers = NewWindow(L"e2e idle answers");
    return PostMessageW(w, kIdleProbe, reinterpret_cast<WPARAM>(answers), cookie) &&
           WaitFor([&] { return idleAnswered == cookie; }, 10000);
  }
  return false;
}
// A viewer behind Pixkeeper in the chain hears of a change at once; once
// Pixkeeper's worker is idle too, `put` is known to be ignored (and the
// format `left`, if given, is still on the clipboard).
inline bool Heard(HWND who, const std::function<void()>& put, UINT left = 0) {
  // A round trip to Pixkeeper's window before: the notice of its own last
  // clear, still on its way down the chain, arrives meanwhile and is not
  // taken for `put`'s. And after: the notice of `put`, queued to Pixkeeper
  // before the round trip, has then been passed on and its capture queued.
  Send(Main(), WM_NULL);
  const int before = viewers[who].notices;
  put();
  Send(Main(), WM_NULL);
  const bool heard = WaitFor([&] { return viewers[who].notices > before; }, 3000);
  return Check(WorkerIdle(), L"Pixkeeper's worker answers") && heard && (!left || IsClipboardFormatAvailable(left));
}

// --- pictures in other forms ------------------------------------------------------

inline std::uint8_t AlphaAt(std::size_t pixel) { return static_cast<std::uint8_t>(pixel * 53 % 256); }
// The PNG of a test picture's pixels (with AlphaAt's alpha when asked).
inline Bytes Png(const Picture& p, bool alpha) {
  Bytes raw;
  for (std::size_t i = 0; i < p.rgb.size() / 3; ++i) {
    if (i % p.width == 0) raw.push_back(0);  // no filter
    raw.insert(raw.end(), p.rgb.begin() + i * 3, p.rgb.begin() + i * 3 + 3);
    if (alpha) raw.push_back(AlphaAt(i));
  }
  return MakePng(p.width, p.height, alpha ? 6 : 2, StoredZlib(raw));
}
// A 32-bit DIB with a V5 header whose alpha mask is set, with AlphaAt's alpha.
inline Picture AlphaDib(int width = 0) {
  Picture p = MakeTestPicture("rgb24", width);
  p.dib = V5Picture(false, 0, p.width, p.height);
  Set32(p.dib, 52, 0xFF000000);
  for (int i = 0; i < p.width * p.height; ++i) p.dib[124 + i * 4 + 3] = AlphaAt((p.height - 1 - i / p.width) * p.width + i % p.width);
  return p;
}
// A BMP file's "bits, alpha mask".
inline wstring Depth(const Bytes& f) {
  if (f.size() < 58) return L"no file";
  wchar_t mask[16] = L"";
  if (f[14] >= 56) std::swprintf(mask, 16, L" %02x%02x%02x%02x", f[69], f[68], f[67], f[66]);
  return to_wstring(f[28]) + mask;
}

}  // namespace e2e
