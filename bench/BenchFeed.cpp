// The feeder: puts a 32-bit picture on the clipboard, notes the time of the
// change, and waits until the capturer has written the file.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "BenchCommon.h"
#include "BenchPixels.h"

namespace pixkeeper::bench {

std::vector<unsigned char> MakeDib(int width, int height, bool flat) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(width) * height * 4;
  const std::vector<unsigned char> pixels = BenchPixels(width, height, flat);
  std::vector<unsigned char> dib(sizeof header);
  std::memcpy(dib.data(), &header, sizeof header);
  dib.insert(dib.end(), pixels.begin(), pixels.end());
  return dib;
}

namespace {

// Waits for the handle while answering the messages that the capturer sends
// to the clipboard's owner (WM_DESTROYCLIPBOARD when it empties the clipboard).
bool WaitPumping(HANDLE handle, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return false;
    DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

void PumpFor(DWORD milliseconds) {
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  WaitPumping(never, milliseconds);
  CloseHandle(never);
}

bool PutOnClipboard(HWND owner, const std::vector<unsigned char>& dib, std::int64_t* changedAt) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  if (!memory) return false;
  void* target = GlobalLock(memory);
  std::memcpy(target, dib.data(), dib.size());
  GlobalUnlock(memory);
  for (int attempt = 0; !OpenClipboard(owner); ++attempt) {
    if (attempt == 200) {
      GlobalFree(memory);
      return false;
    }
    PumpFor(5);
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_DIB, memory)) GlobalFree(memory);
  *changedAt = Now();
  CloseClipboard();
  return true;
}

// While a picture waits to be saved, tries to open the clipboard every
// millisecond or so, as a program copying or pasting would, and keeps the
// longest span in which it could not: from the last time it could (or the
// change) to the next. It only opens and closes, never holding the clipboard
// past that, and readers try again when they meet it open.
class ClosedProbe {
 public:
  explicit ClosedProbe(std::int64_t changedAt) : lastOpen_(changedAt), thread_([this] { Run(); }) {}
  ClosedProbe(const ClosedProbe&) = delete;
  ClosedProbe& operator=(const ClosedProbe&) = delete;
  ~ClosedProbe() { Stop(); }

  // Once the file is written: the reader has closed the clipboard by then.
  std::int64_t Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return longest_;
  }

 private:
  void Run() {
    // Opened on a window of its own: Wine lets a second opener with no
    // window in while another holds the clipboard with none.
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool refused = false;
    for (;;) {
      const bool last = stop_;  // one more try after the stop, to end a span
      if (OpenClipboard(window)) {
        CloseClipboard();
        const std::int64_t now = Now();
        if (refused) longest_ = std::max(longest_, now - lastOpen_);
        refused = false;
        lastOpen_ = now;
      } else {
        refused = true;
      }
      if (last) break;
      Sleep(1);
    }
    if (refused) longest_ = std::max(longest_, Now() - lastOpen_);
    DestroyWindow(window);
  }

  std::atomic<bool> stop_{false};
  std::int64_t lastOpen_;
  std::int64_t longest_ = 0;
  std::thread thread_;  // last: starts once the rest is set
};

}  // namespace

int RunFeed(int width, int height, int count, bool flat, bool probe) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kReadyEvent);
  HANDLE saved = CreateEventW(nullptr, FALSE, FALSE, kSavedEvent);
  if (WaitForSingleObject(ready, 60000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "feed: the capturer did not get ready\n");
    return 1;
  }
  HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
  std::vector<unsigned char> dib = MakeDib(width, height, flat);
  std::printf("freq %lld\n", static_cast<long long>(Frequency()));
  for (int i = 0; i < count; ++i) {
    std::int64_t changedAt = 0;
    if (!PutOnClipboard(owner, dib, &changedAt)) {
      std::fprintf(stderr, "feed: the clipboard could not be set\n");
      return 1;
    }
    std::optional<ClosedProbe> closed;
    if (probe) closed.emplace(changedAt);
    if (!WaitPumping(saved, 30000)) {
      std::fprintf(stderr, "feed: no file was written for picture %d\n", i + 1);
      return 1;
    }
    if (closed) std::printf("closed %lld\n", static_cast<long long>(closed->Stop()));
    std::printf("t0 %lld\n", static_cast<long long>(changedAt));
    PumpFor(200);  // let the capturer finish its own clipboard clear
  }
  std::fflush(stdout);
  DestroyWindow(owner);
  return 0;
}

}  // namespace pixkeeper::bench
