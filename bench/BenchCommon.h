#pragma once
// Shared by the two halves of the capture benchmark, which run as two
// processes: the feeder puts pictures on the clipboard, the capturer saves them.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace pixkeeper::bench {

// The capturer is ready (manual reset) / has written one file (auto reset).
constexpr wchar_t kReadyEvent[] = L"Local\\PixkeeperBenchReady";
constexpr wchar_t kSavedEvent[] = L"Local\\PixkeeperBenchSaved";

inline std::int64_t Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

inline std::int64_t Frequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

// How the capturer saves: the program's path writing BMP or PNG files, the
// minimal reference (which writes the picture in place, the clipboard open),
// or a minimal reader that copies the picture and closes the clipboard before
// it writes. The BMP path may make each picture's small picture for the list too.
enum class CaptureMode { kBmp, kPng, kReference, kCopier, kBmpThumbnails, kBmpKept };
// A window's part in the clipboard viewer chain: `onChange` runs on each
// change, which then goes on to `next`; a window leaving the chain is taken
// out of it.
inline LRESULT ViewerMessage(HWND& next, void (*onChange)(), HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam) {
  switch (message) {
    case WM_DRAWCLIPBOARD:
      onChange();
      if (next) SendMessageW(next, message, wParam, lParam);
      return 0;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(wParam) == next) next = reinterpret_cast<HWND>(lParam);
      else if (next) SendMessageW(next, message, wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

int RunCapture(CaptureMode mode, const wchar_t* outputDirectory, int count);
// `flat`: a screenshot-like picture (flat areas, lines of text); otherwise a
// photo-like one (gradients and noise). With `probe`, another thread tries to
// open the clipboard while each picture waits to be saved, as a program
// copying or pasting would, and the longest span in which it could not is
// printed per picture ("closed").
int RunFeed(int width, int height, int count, bool flat, bool probe);
// The 32-bit bottom-up DIB the feeder puts on the clipboard.
std::vector<unsigned char> MakeDib(int width, int height, bool flat);
// Times the small picture of the feeder's picture, made as the worker makes
// it, `count` times; prints "ms <milliseconds>" for each.
int RunThumbnail(int width, int height, int count, bool flat);

}  // namespace pixkeeper::bench
