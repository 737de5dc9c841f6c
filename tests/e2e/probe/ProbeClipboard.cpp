// Subcommands that fill and read the clipboard, and a clipboard viewer that
// counts the change notices it receives.

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ProbeCommands.h"
#include "ProbeCommon.h"
#include "ProbePictures.h"

namespace pixkeeper::probe {

namespace {

// The owner of what the probe puts on the clipboard: EmptyClipboard with no
// window would leave the clipboard without an owner, and SetClipboardData
// then fails.
class OwnerWindow {
 public:
  OwnerWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"pkprobe clipboard owner", 0, 0, 0, 0, 0,
                                HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// An open clipboard; the program under test may hold it for a moment, so
// opening retries within a bound.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    open_ = WaitFor(3000, [&] { return OpenClipboard(owner) != FALSE; });
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

HGLOBAL CopyToGlobal(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  void* target = GlobalLock(memory);
  memcpy(target, data, size);
  GlobalUnlock(memory);
  return memory;
}

bool PutData(UINT format, const void* data, size_t size) {
  HGLOBAL memory = CopyToGlobal(data, size);
  if (memory == nullptr || SetClipboardData(format, memory) == nullptr) {
    if (memory != nullptr) GlobalFree(memory);
    return false;
  }
  return true;
}

bool PutText(const std::wstring& text) {
  return PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// A device-dependent bitmap made from the DIB on the screen's format.
bool PutBitmap(const std::vector<std::uint8_t>& dib, size_t pixelOffset) {
  HDC screen = GetDC(nullptr);
  auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
  HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.data() + pixelOffset,
                                  info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (bitmap == nullptr) return false;
  if (SetClipboardData(CF_BITMAP, bitmap) == nullptr) {
    DeleteObject(bitmap);
    return false;
  }
  return true;
}

bool WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::wstring FormatName(UINT format) {
  switch (format) {
    case CF_TEXT: return L"CF_TEXT";
    case CF_BITMAP: return L"CF_BITMAP";
    case CF_METAFILEPICT: return L"CF_METAFILEPICT";
    case CF_OEMTEXT: return L"CF_OEMTEXT";
    case CF_DIB: return L"CF_DIB";
    case CF_PALETTE: return L"CF_PALETTE";
    case CF_UNICODETEXT: return L"CF_UNICODETEXT";
    case CF_ENHMETAFILE: return L"CF_ENHMETAFILE";
    case CF_LOCALE: return L"CF_LOCALE";
    case CF_DIBV5: return L"CF_DIBV5";
    default: break;
  }
  wchar_t name[256] = {};
  if (GetClipboardFormatNameW(format, name, 256) > 0) return name;
  return L"format" + std::to_wstring(format);
}

}  // namespace

namespace {

bool PutOnce(const Args& args, bool wantsText, bool wantsPicture, const ProbePicture& picture) {
  OwnerWindow owner;
  OpenClipboardScope clipboard(owner.get());
  if (!clipboard.open()) {
    PrintError(L"cannot open the clipboard");
    return false;
  }
  EmptyClipboard();
  bool ok = true;
  if (wantsText) ok = PutText(args.Option(L"text", L"pkprobe text")) && ok;
  if (wantsPicture) {
    if (args.Option(L"form", L"dib") == L"bitmap") {
      ok = PutBitmap(picture.dib, picture.pixelOffset) && ok;
    } else {
      ok = PutData(CF_DIB, picture.dib.data(), picture.dib.size()) && ok;
    }
  }
  if (!ok) PrintError(L"SetClipboardData failed");
  return ok;
}

// Only the registered format "PNG", as many programs offer a picture: no
// bitmap format comes with it.
bool PutPngOnly() {
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  OwnerWindow owner;
  OpenClipboardScope clipboard(owner.get());
  if (!clipboard.open()) return false;
  EmptyClipboard();
  return PutData(RegisterClipboardFormatW(L"PNG"), kSignature, sizeof kSignature);
}

// Waits for the start of the next second and returns its "mmddhhmmss".
std::wstring AlignToSecond() {
  SYSTEMTIME start{};
  GetLocalTime(&start);
  SYSTEMTIME now{};
  do {
    Sleep(1);
    GetLocalTime(&now);
  } while (now.wSecond == start.wSecond);
  wchar_t stamp[16];
  swprintf(stamp, 16, L"%02u%02u%02u%02u%02u", now.wMonth, now.wDay, now.wHour, now.wMinute,
           now.wSecond);
  return stamp;
}

}  // namespace

// clip-put picture|text|text-picture [--text T] [--picture NAME] [--width W]
//   [--height H] [--form dib|bitmap] [--expect FILE] [--repeat N] [--align-second]
// With --repeat, each next picture goes on the clipboard once the program
// has taken the previous one (the clipboard is empty again).
int CmdClipPut(const Args& args) {
  const std::wstring& what = args.Positional(0);
  bool wantsPicture = what == L"picture" || what == L"text-picture";
  bool wantsText = what == L"text" || what == L"text-picture";
  if (what == L"png") return PutPngOnly() ? 0 : 1;
  if (!wantsPicture && !wantsText) {
    PrintError(L"clip-put picture|text|text-picture|png");
    return 2;
  }
  ProbePicture picture;
  if (wantsPicture) {
    picture = MakeProbePicture(args.Option(L"picture", L"rgb24"), args.IntOption(L"width", 0),
                               args.IntOption(L"height", 0));
    if (picture.dib.empty()) {
      PrintError(L"unknown picture " + args.Option(L"picture"));
      return 2;
    }
    if (args.Has(L"expect") && !WriteBytes(args.Option(L"expect"), picture.rgb)) {
      PrintError(L"cannot write " + args.Option(L"expect"));
      return 1;
    }
  }
  if (args.Has(L"align-second")) Print(AlignToSecond());
  int repeat = args.IntOption(L"repeat", 1);
  for (int i = 0; i < repeat; ++i) {
    if (!PutOnce(args, wantsText, wantsPicture, picture)) return 1;
    if (i + 1 < repeat && !WaitFor(3000, [] { return CountClipboardFormats() == 0; })) {
      PrintError(L"picture " + std::to_wstring(i + 1) + L" was not taken");
      return 1;
    }
  }
  return 0;
}

// Reads without opening the clipboard, so it never gets in the way of the
// program under test.
int CmdClipFormats(const Args&) {
  UINT formats[64] = {};
  UINT count = 0;
  if (!GetUpdatedClipboardFormats(formats, 64, &count)) {
    PrintError(L"GetUpdatedClipboardFormats failed");
    return 1;
  }
  Print(L"count " + std::to_wstring(count));
  for (UINT i = 0; i < count; ++i) Print(L"format " + std::to_wstring(formats[i]) + L" " +
                                         FormatName(formats[i]));
  return 0;
}

int CmdClipText(const Args&) {
  OpenClipboardScope clipboard(nullptr);
  if (!clipboard.open()) {
    PrintError(L"cannot open the clipboard");
    return 1;
  }
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) {
    PrintError(L"no text on the clipboard");
    return 1;
  }
  auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  std::wstring copy = text != nullptr ? text : L"";
  GlobalUnlock(data);
  Print(copy);
  return 0;
}

int CmdClipSequence(const Args&) {
  Print(std::to_wstring(GetClipboardSequenceNumber()));
  return 0;
}

int CmdClipWaitEmpty(const Args& args) {
  bool ok = WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs),
                    [] { return CountClipboardFormats() == 0; });
  if (!ok) PrintError(L"the clipboard is not empty");
  return ok ? 0 : 1;
}

// ---------------------------------------------------------------------------
// The viewer: joins the chain, counts WM_DRAWCLIPBOARD, passes every notice on
// and keeps its successor right when the chain changes. Its state goes to a
// file that it replaces in one step, so a reader never sees half of it.

namespace {

struct ViewerState {
  std::wstring stateFile;
  HWND next = nullptr;
  long notices = 0;
  long chainChanges = 0;
};

ViewerState* g_viewer = nullptr;

void WriteViewerState(const ViewerState& state) {
  std::string text = "notices " + std::to_string(state.notices) + "\nchainchanges " +
                     std::to_string(state.chainChanges) + "\nnext " +
                     std::to_string(reinterpret_cast<std::uintptr_t>(state.next)) + "\n";
  std::wstring temp = state.stateFile + L".tmp";
  if (WriteBytes(temp, std::vector<std::uint8_t>(text.begin(), text.end()))) {
    MoveFileExW(temp.c_str(), state.stateFile.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ViewerState& state = *g_viewer;
  switch (message) {
    case WM_DRAWCLIPBOARD:
      ++state.notices;
      WriteViewerState(state);
      if (state.next != nullptr) SendMessageW(state.next, message, wParam, lParam);
      return 0;
    case WM_CHANGECBCHAIN:
      ++state.chainChanges;
      if (reinterpret_cast<HWND>(wParam) == state.next) {
        state.next = reinterpret_cast<HWND>(lParam);
      } else if (state.next != nullptr) {
        SendMessageW(state.next, message, wParam, lParam);
      }
      WriteViewerState(state);
      return 0;
    case WM_CLOSE:
      ChangeClipboardChain(window, state.next);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

// viewer STATEFILE [--title T]: runs until its window is closed.
int CmdViewer(const Args& args) {
  ViewerState state;
  state.stateFile = args.Positional(0);
  g_viewer = &state;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ViewerProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"PkProbeViewer";
  RegisterClassW(&windowClass);
  // A hidden top-level window: found by title, never in the way of clicks.
  HWND window = CreateWindowExW(0, windowClass.lpszClassName,
                                args.Option(L"title", L"pkprobe viewer").c_str(),
                                WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  if (window == nullptr) {
    PrintError(L"cannot create the viewer window");
    return 1;
  }
  state.next = SetClipboardViewer(window);
  WriteViewerState(state);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace pixkeeper::probe
