// The capturer: a window in the clipboard viewer chain that saves every
// picture, either through the program's own capture path (HookProc,
// CaptureClipboard, the Windows platform) or through a minimal reference that
// writes the clipboard's DIB behind a file header, in place or from a copy.
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"

#include <psapi.h>
#include "capture/CaptureQueue.h"
#include "capture/ClipboardWatch.h"
#include "capture/Program.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowTasks.h"
#include "platform/win32/WorkerThread.h"

namespace pixkeeper::bench {
namespace {

struct Run {
  bool reference = false;
  bool png = false;
  bool thumbnails = false;  // the list shows small pictures, made as each is saved
  bool keep = false;        // the clipboard is left as it is after each picture
  std::wstring directory;  // ends with "\"
  int wanted = 0;
  std::vector<std::int64_t> savedAt;
  HANDLE savedEvent = nullptr;
  HWND nextViewer = nullptr;  // reference mode keeps the chain intact itself

  void Saved() {
    savedAt.push_back(Now());
    SetEvent(savedEvent);
    if (static_cast<int>(savedAt.size()) == wanted) PostQuitMessage(0);
  }
};

Run g_run;
win32::WindowTasks g_tasks;  // the capture window's thread, for the worker

// The list of the program's main window: the file is closed and in place
// when the capture appends its path.
class BenchWindowParts final : public MainWindowParts {
 public:
  void AppendToFileList(const std::wstring&, const ThumbnailView&) override { g_run.Saved(); }
  ThumbnailLook Thumbnails() const override { return {g_run.thumbnails ? PixelSize{64, 48} : PixelSize{}, 0xFFFFFF}; }
  bool IsChecked(OptionItem item) const override { return item == OptionItem::SavePng ? g_run.png : item == OptionItem::KeepClipboard && g_run.keep; }
  void SetChecked(OptionItem, bool) override {}
  void ShowStatus(const std::wstring&) override {}
};

std::intptr_t ForwardToHook(void* context, WindowHandle window, unsigned message,
                            std::uintptr_t wParam, std::intptr_t lParam) {
  return HookProc(*static_cast<Program*>(context), window, message, wParam, lParam);
}

// Another program may have the clipboard open for a moment (the bench's
// probe does): like real readers, try again for a while.
bool OpenClipboardPatiently() {
  for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
    if (attempt == 1000) return false;
    Sleep(1);
  }
  return true;
}

void WriteBmpFile(const unsigned char* dib, SIZE_T size) {
  auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;
  fileHeader.bfSize = static_cast<DWORD>(sizeof fileHeader + size);
  fileHeader.bfOffBits = sizeof fileHeader + info->biSize;
  std::wstring path = g_run.directory + L"REF" + std::to_wstring(g_run.savedAt.size()) + L".BMP";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, &fileHeader, sizeof fileHeader, &written, nullptr);
  WriteFile(file, dib, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
}

void ReferenceSave() {
  static bool busy = false;  // its own EmptyClipboard notifies it again, nested
  if (busy || !IsClipboardFormatAvailable(CF_DIB) || !OpenClipboardPatiently()) return;
  busy = true;
  if (HANDLE data = GetClipboardData(CF_DIB)) {
    WriteBmpFile(static_cast<const unsigned char*>(GlobalLock(data)), GlobalSize(data));
    g_run.Saved();
    GlobalUnlock(data);
    EmptyClipboard();
  }
  CloseClipboard();
  busy = false;
}

// Copies the picture and closes the clipboard, writes the file, then opens
// the clipboard again only to empty it while it still holds that picture.
void CopierSave() {
  static bool busy = false;  // its own EmptyClipboard notifies it again, nested
  if (busy || !IsClipboardFormatAvailable(CF_DIB) || !OpenClipboardPatiently()) return;
  busy = true;
  std::vector<unsigned char> dib;
  const DWORD sequence = GetClipboardSequenceNumber();
  if (HANDLE data = GetClipboardData(CF_DIB)) {
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(data));
    dib.assign(bytes, bytes + GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  if (!dib.empty()) {
    WriteBmpFile(dib.data(), dib.size());
    g_run.Saved();
    if (OpenClipboardPatiently()) {
      if (GetClipboardSequenceNumber() == sequence) EmptyClipboard();
      CloseClipboard();
    }
  }
  busy = false;
}

// The program's capture window takes the worker's steps like the main window.
LRESULT CALLBACK CaptureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_tasks.Handle(message, wParam, lParam)) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ReferenceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ViewerMessage(g_run.nextViewer, ReferenceSave, window, message, wParam, lParam);
}

LRESULT CALLBACK CopierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ViewerMessage(g_run.nextViewer, CopierSave, window, message, wParam, lParam);
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return counters;
}

// Under Wine the process is a Linux process: restart its peak resident size
// at idle so that the peak measured afterwards belongs to the captures.
void ResetPeakWorkingSet() {
  HANDLE file = CreateFileW(L"Z:\\proc\\self\\clear_refs", GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, "5", 1, &written, nullptr);
  CloseHandle(file);
}

HWND CreateCaptureWindow(CaptureMode mode) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = mode == CaptureMode::kReference ? ReferenceProc
                            : mode == CaptureMode::kCopier  ? CopierProc
                                                            : CaptureProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"PixkeeperBenchCapture";
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 100, 100,
                         nullptr, nullptr, windowClass.hInstance, nullptr);
}

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int RunCapture(CaptureMode mode, const wchar_t* outputDirectory, int count) {
  const bool reference = mode == CaptureMode::kReference || mode == CaptureMode::kCopier;
  g_run.reference = reference;
  g_run.png = mode == CaptureMode::kPng;
  g_run.thumbnails = mode == CaptureMode::kBmpThumbnails;
  g_run.keep = mode == CaptureMode::kBmpKept;
  g_run.directory = outputDirectory;
  if (g_run.directory.empty() || g_run.directory.back() != L'\\') g_run.directory += L'\\';
  g_run.wanted = count;
  g_run.savedEvent = CreateEventW(nullptr, FALSE, FALSE, kSavedEvent);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kReadyEvent);

  HWND window = CreateCaptureWindow(mode);
  Win32Platform platform;
  BenchWindowParts parts;
  Program program(platform, parts);
  if (reference) {
    g_run.nextViewer = SetClipboardViewer(window);
  } else {
    program.state.NamingScheme = 1;
    program.state.FilePrefix = L"BMP";
    program.state.BaseDir = g_run.directory;
    program.state.MainWindow = reinterpret_cast<WindowHandle>(window);
    g_tasks.Attach(window);
    // Never deleted: the worker may still be emptying the clipboard after the
    // last picture is listed.
    program.capture = new CaptureQueue(program, win32::WorkerThread::Started(), g_tasks);
    if (g_run.png) program.capture->PreparePng();  // as the program does when it starts with PNG files chosen
    platform.SetHookHandler(&ForwardToHook, &program);
    HookWindow(program);
    JoinViewerChain(program);
  }

  // Settle, then take the idle figures just before the first picture comes.
  Sleep(200);
  ResetPeakWorkingSet();
  PROCESS_MEMORY_COUNTERS_EX idle = Memory();
  SetEvent(ready);
  RunMessageLoop();
  PROCESS_MEMORY_COUNTERS_EX end = Memory();
  Sleep(300);  // the last picture let go of, the clipboard emptied
  const PROCESS_MEMORY_COUNTERS_EX held = Memory();
  // A picture left on the clipboard would be the next run's first.
  if (g_run.keep && OpenClipboard(nullptr)) EmptyClipboard(), CloseClipboard();

  if (reference) {
    ChangeClipboardChain(window, g_run.nextViewer);
  } else {
    LeaveViewerChain(program);
    UnhookWindow(program);
  }
  ResetEvent(ready);

  for (std::int64_t at : g_run.savedAt) std::printf("t1 %lld\n", static_cast<long long>(at));
  std::printf("idle_ws %llu\npeak_ws %llu\nheld_ws %llu\n", static_cast<unsigned long long>(idle.WorkingSetSize),
              static_cast<unsigned long long>(end.PeakWorkingSetSize),
              static_cast<unsigned long long>(held.WorkingSetSize));
  std::fflush(stdout);
  DestroyWindow(window);
  return 0;
}

}  // namespace pixkeeper::bench
