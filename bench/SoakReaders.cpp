// pk_soak readers: minimal readers of the clipboard, one per way of reading,
// whose memory shows what is Wine's and what is the program's.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "BenchCommon.h"
#include "SoakCommon.h"
#include "SoakProbe.h"
#include "SoakRuns.h"

namespace pixkeeper::soak {
namespace {

// A minimal reader: a clipboard viewer that reads every picture one way and
// then empties the clipboard.
enum class Way { kNothing, kDib, kDibV5ThenDib, kBitmap, kDibClose, kDibList };
const std::pair<const wchar_t*, Way> kWays[] = {{L"nothing", Way::kNothing}, {L"dib", Way::kDib},
                                                {L"dibv5-then-dib", Way::kDibV5ThenDib}, {L"bitmap", Way::kBitmap},
                                                {L"dib-reopen", Way::kDibClose}, {L"dib-list", Way::kDibList}};
Way g_way = Way::kDib;
HWND g_next = nullptr, g_list = nullptr;  // the list box of the reader that lists what it reads
std::wstring g_listed;                     // the folder of the paths it lists
volatile long g_sink = 0;

void ReadDib(UINT format) {
  if (HANDLE data = GetClipboardData(format)) {
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(data));
    long sum = 0;
    for (SIZE_T i = 0, n = GlobalSize(data); bytes && i < n; i += 4096) sum += bytes[i];
    g_sink += sum;
    GlobalUnlock(data);
  }
}

void ReadOnce() {
  static bool busy = false;  // its own EmptyClipboard notifies it again, nested
  if (busy || CountClipboardFormats() == 0) return;
  busy = true;
  if (OpenClipboard(nullptr)) {
    switch (g_way) {
      case Way::kNothing:
        break;
      case Way::kDib:
        ReadDib(CF_DIB);
        break;
      case Way::kDibV5ThenDib:
        ReadDib(CF_DIBV5), ReadDib(CF_DIB);
        break;
      case Way::kBitmap:
        if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
          BITMAP info{};
          GetObjectW(bitmap, sizeof info, &info);
          BITMAPINFOHEADER header{sizeof header, info.bmWidth, info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
          std::vector<unsigned char> bits(static_cast<std::size_t>(info.bmWidth) * info.bmHeight * 4);
          HDC screen = GetDC(nullptr);
          GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), bits.data(),
                    reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
          ReleaseDC(nullptr, screen);
          g_sink += bits[bits.size() / 2];
        }
        break;
      case Way::kDibClose:  // read, close, and empty in a session of its own
        ReadDib(CF_DIB);
        CloseClipboard();
        OpenClipboard(nullptr);
        break;
      case Way::kDibList: {  // read, and list a path for it as Pixkeeper does
        ReadDib(CF_DIB);
        const int n = static_cast<int>(SendMessageW(g_list, LB_GETCOUNT, 0, 0)) + 1;
        const std::wstring path = g_listed + Numbered(n);
        SendMessageW(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        break;
      }
    }
    EmptyClipboard();
    CloseClipboard();
  }
  busy = false;
}

LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return bench::ViewerMessage(g_next, ReadOnce, window, message, wParam, lParam);
}

const wchar_t kReaderClass[] = L"PkSoakReader";

// Started and heading the viewer chain; false when it did not come up.
bool StartReader(const wchar_t* way, const std::wstring& listed, Started* reader, HWND* window, long* unixPid) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // Without its final "\", which would take the closing quote with it.
  const std::wstring folder = listed.empty() ? listed : listed.substr(0, listed.size() - 1);
  if (!Check(Launch(self, std::wstring(L" reader ") + way + L" \"" + folder + L"\"", reader), "cannot start a reader")) {
    return false;
  }
  Feeder::WaitFor([&] { return (*window = FindWindowW(kReaderClass, way)) && GetClipboardViewer() == *window; }, 20000);
  Feeder::Pump(300);
  *unixPid = FindUnixPid(reader->commandLine);
  if (*window == nullptr) TerminateProcess(reader->process, 1), CloseHandle(reader->process);
  return *window != nullptr;
}

void StopReader(Started* reader, HWND window) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);
  if (!Feeder::WaitFor([&] { return WaitForSingleObject(reader->process, 0) == WAIT_OBJECT_0; }, 10000)) {
    TerminateProcess(reader->process, 1);
  }
  CloseHandle(reader->process);
}

}  // namespace

int RunReader(const wchar_t* way, const wchar_t* folder) {
  g_listed = *folder ? std::wstring(folder) + L"\\" : L"";
  for (const auto& known : kWays) {
    if (std::wcscmp(known.first, way) == 0) g_way = known.second;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ReaderProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kReaderClass;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kReaderClass, way, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  g_list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VSCROLL, 0, 0, 90, 90, window, nullptr,
                           windowClass.hInstance, nullptr);
  g_next = SetClipboardViewer(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  ChangeClipboardChain(window, g_next);
  return 0;
}


// The growth of a minimal reader's memory over the pictures of a run, from
// picture 100 on; -1 when it could not be measured.
long long ReaderGrowthKb(const std::vector<Shot>& plan, const wchar_t* way, const std::wstring& listed) {
  Feeder feeder;
  Started reader;
  HWND window = nullptr;
  long unixPid = 0;
  if (!StartReader(way, listed, &reader, &window, &unixPid)) return -1;
  const int earlyMark = std::min<int>(100, static_cast<int>(plan.size()));
  Resources early{}, late{};
  bool all = true;
  for (const Shot& shot : plan) {
    const Bytes dib = MakeDib(shot);
    if (!feeder.Put([&] { return Feeder::PutData(CF_DIB, dib.data(), dib.size()); }) ||
        !Check(Feeder::WaitFor([&] { return feeder.emptied(); }, 10000), "the reader did not empty the clipboard")) {
      all = false;
      break;
    }
    if (shot.index + 1 == earlyMark) Feeder::Pump(100), early = Measure(reader.process, reader.pid, unixPid);
  }
  Feeder::Pump(300);
  late = Measure(reader.process, reader.pid, unixPid);
  StopReader(&reader, window);
  return all && early.rssAnonKb >= 0 && late.rssAnonKb >= 0 ? late.rssAnonKb - early.rssAnonKb : -1;
}

int RunReaders(bool asBitmap, int count) {
  const Bytes dib = MakeScreenDib(1920, 1080, 3);
  Feeder feeder;
  Say("minimal readers, %d pictures of 1920x1080 as %s: RssAnon KiB above idle\n", count,
      asBitmap ? "CF_BITMAP" : "CF_DIB");
  for (const auto& way : kWays) {
    Started reader;
    HWND window = nullptr;
    long unixPid = 0;
    if (!StartReader(way.first, L"", &reader, &window, &unixPid)) return 1;
    const Resources idle = Measure(reader.process, reader.pid, unixPid);
    Resources last = idle;
    Say("%-16s", Narrow(way.first).c_str());
    for (int i = 1; i <= count; ++i) {
      PutScreen(feeder, dib, asBitmap);
      if (!Check(Feeder::WaitFor([&] { return feeder.emptied(); }, 10000), "the reader did not empty the clipboard")) break;
      if (i % 5 == 0) {
        Feeder::Pump(100);
        last = Measure(reader.process, reader.pid, unixPid);
        Say(" %6lld", last.rssAnonKb - idle.rssAnonKb);
      }
    }
    Say("   => %.1f MiB per picture, GDI objects %+ld\n", (last.rssAnonKb - idle.rssAnonKb) / 1024.0 / count,
        last.gdiObjects - idle.gdiObjects);
    StopReader(&reader, window);
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace pixkeeper::soak
