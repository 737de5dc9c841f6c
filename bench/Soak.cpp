// pk_soak: a long run of the real program, and the probes it relies on.
//   pk_soak run <Pixkeeper.exe> <out dir> [count]    the long run (run-soak.sh)
//   pk_soak leak-demo                                the counting shown on a program that leaks
//   pk_soak bitmaps <Pixkeeper.exe> <out dir> <count> <bitmap|dib>
//                                                    the program's memory over full-screen pictures
//   pk_soak readers <bitmap|dib> <count>             the same for minimal readers, one per way of reading
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "SoakPictures.h"
#include "SoakProbe.h"
#include "image/Dib.h"
#include "platform/RuntimeError.h"
#include "platform/win32/PngDecoder.h"

namespace pixkeeper::soak {
namespace {

const wchar_t kMainClass[] = L"PixkeeperForm1", kMainTitle[] = L"Pixkeeper";
const wchar_t kConfig[] = L"Software\\PIXKEEPER\\CONFIG";
const wchar_t kPrefix[] = L"SK";
constexpr int kListId = 1001;

int failures = 0;

#if defined(__GNUC__)
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));  // GCC checks the arguments
#endif
void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}
bool Check(bool ok, const std::string& what) {
  if (!ok) ++failures, Say("FAIL: %s\n", what.c_str());
  return ok;
}
std::string Narrow(const std::wstring& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                          static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}
double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// --- the clipboard owner ----------------------------------------------------

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

// --- the program under test ------------------------------------------------

HWND MainWindow() { return FindWindowW(kMainClass, kMainTitle); }

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}
int ListCount() { return static_cast<int>(Send(GetDlgItem(MainWindow(), kListId), LB_GETCOUNT)); }
std::wstring ListEntry(int index) {
  HWND list = GetDlgItem(MainWindow(), kListId);
  std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(0, Send(list, LB_GETTEXTLEN, index))) + 1, L'\0');
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())))));
  return text;
}

// With it set the program writes PNG files, read back by the system's decoder.
bool g_png = false;
bool g_dibs = false;  // every picture offered as a DIB alone, memory held to 2 MiB

void StoreSettings(const std::wstring& baseDir) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, kConfig, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  const std::pair<const wchar_t*, std::wstring> values[] = {
      {L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", kPrefix}, {L"StartValue", L"1"}, {L"StartPos", L"0"},
      {L"SaveFormat", g_png ? L"1" : L"0"}};
  for (const auto& value : values) {
    RegSetValueExW(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                   static_cast<DWORD>((value.second.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

struct Started {
  HANDLE process = nullptr;
  DWORD pid = 0;
  long unixPid = 0;
  std::wstring commandLine;
};

bool Launch(const std::wstring& exe, const std::wstring& arguments, Started* started) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + exe + L"\"" + arguments;
  started->commandLine = line;
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  started->process = info.hProcess;
  started->pid = info.dwProcessId;
  return true;
}

// Started, with its main window at the head of the viewer chain.
bool StartProgram(const std::wstring& exe, const std::wstring& baseDir, Started* program) {
  StoreSettings(baseDir);
  if (!Check(Launch(exe, L"", program), "cannot start " + Narrow(exe))) return false;
  const bool up = Feeder::WaitFor(
      [] { return MainWindow() && GetClipboardViewer() == MainWindow() && IsWindowVisible(MainWindow()); }, 30000);
  if (!Check(up, "Pixkeeper did not start and join the viewer chain")) return false;
  program->unixPid = FindUnixPid(program->commandLine);
  Check(program->unixPid > 0, "the Linux process of Pixkeeper was not found in /proc");
  return true;
}

void StopProgram(Started* program) {
  PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
  Check(Feeder::WaitFor([&] { return WaitForSingleObject(program->process, 0) == WAIT_OBJECT_0; }, 20000),
        "Pixkeeper did not end after WM_CLOSE");
  CloseHandle(program->process);
}

std::vector<std::wstring> FilesIn(const std::wstring& directory) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((directory + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

Bytes ReadAll(const std::wstring& path) {
  Bytes bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())) {
    bytes.clear();
  }
  CloseHandle(file);
  return bytes;
}

// The running number goes from 9999 back to 0.
std::wstring Numbered(int n) {
  wchar_t name[32];
  std::swprintf(name, 32, L"%ls%04d.%ls", kPrefix, n % 10000, g_png ? L"PNG" : L"BMP");
  return name;
}

// --- the long run ------------------------------------------------------------

// The BMP file of a PNG's pixels as the system decodes them; empty when it
// does not decode.
Bytes BmpOfPng(const Bytes& png) {
  try {
    const Picture picture = win32::DecodePng(png.data(), png.size());
    const auto header = BmpFileHeader(picture.layout());
    Bytes bmp(header.begin(), header.end());
    bmp.insert(bmp.end(), picture.data(), picture.data() + picture.layout().totalSize);
    return bmp;
  } catch (const RuntimeError&) {
    return {};
  }
}

bool PutShot(Feeder& feeder, const Shot& shot) {
  return feeder.Put([&] {
    switch (shot.kind) {
      case Kind::kPngOnly: {
        const Bytes png = MakePngFile(shot);
        return Feeder::PutData(RegisterClipboardFormatW(L"PNG"), png.data(), png.size());
      }
      case Kind::kBitmap:
        return Feeder::PutBitmap(MakeDib(shot));
      case Kind::kWithText: {
        const Bytes dib = MakeDib(shot);
        const std::wstring text = L"cell " + std::to_wstring(shot.index);
        return Feeder::PutData(CF_DIB, dib.data(), dib.size()) &&
               Feeder::PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      }
      default: {
        const Bytes dib = MakeDib(shot);
        return Feeder::PutData(CF_DIB, dib.data(), dib.size());
      }
    }
  });
}

// Taken: the program has listed it and emptied the clipboard.
bool WaitTaken(Feeder& feeder, int listed) {
  int polls = 0;
  return Feeder::WaitFor([&] { return (feeder.emptied() || ++polls % 20 == 0) && ListCount() >= listed; }, 10000);
}

// Wine keeps, in every process that reads a CF_BITMAP put by another
// process, the bitmap's bits as they were handed over (a BITMAP header and
// the rows at the screen's depth), also when only a DIB is asked for: the
// part of the memory growth that is Wine's, not the program's.
long long WineBitmapBytes(const Shot& shot) {
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  const long long rowBytes = ((static_cast<long long>(shot.width) * bits + 15) >> 3) & ~1LL;
  return static_cast<long long>(sizeof(BITMAP)) + rowBytes * shot.height;
}

void PrintResources(const Resources& early, const Resources& late, int earlyAt, int lateAt, long long wineKb,
                    long long memoryBoundKb, bool* withinBounds) {
  struct Row {
    const char* name;
    long long early, late, excused, bound;
    const char* how;
  } rows[] = {
      {"handles", early.handles, late.handles, 0, 20, "system handle table (NtQuerySystemInformation)"},
      {"GDI objects", early.gdiObjects, late.gdiObjects, 0, 20, "the process's GDI handle table (PEB)"},
      {"USER: windows", early.windows, late.windows, 0, 2, "windows of its threads, message-only too"},
      {"memory RssAnon KiB", early.rssAnonKb, late.rssAnonKb, wineKb, memoryBoundKb,
       "/proc/<pid>/status of the Wine process"},
      {"memory VmRSS KiB", early.vmRssKb, late.vmRssKb, 0, -1, "(for information)"},
  };
  Say("\n%-20s %10s %10s %8s %8s %8s  %s\n", "resource", ("at " + std::to_string(earlyAt)).c_str(),
      ("at " + std::to_string(lateAt)).c_str(), "growth", "Wine's", "bound", "counted by");
  for (const Row& row : rows) {
    const long long growth = row.late - row.early;
    const bool counted = row.early >= 0 && row.late >= 0;
    const bool ok = row.bound < 0 || (counted && growth - row.excused <= row.bound);
    Say("%-20s %10lld %10lld %8lld %8lld %8s  %s%s\n", row.name, row.early, row.late, growth, row.excused,
        row.bound < 0 ? "-" : ("+" + std::to_string(row.bound)).c_str(), row.how, ok ? "" : "   EXCEEDED");
    if (!ok) *withinBounds = false;
  }
  Say("(bound: growth less Wine's share; Wine's share of memory: the CF_BITMAP pictures it keeps, estimated)\n");
  Say("Windows calls under this system: GetProcessHandleCount %lu, GetGuiResources GDI %lu USER %lu, "
      "PrivateUsage %llu KiB (at %d)\n",
      late.handleCountCall, late.gdiCall, late.userCall, late.privateUsage / 1024, lateAt);
}

long long ReaderGrowthKb(const std::vector<Shot>& plan, const wchar_t* way, const std::wstring& listed);

int RunSoak(const std::wstring& exe, std::wstring out, int count) {
  if (count < 1 || count > 10000) {
    Say("from 1 to 10000 pictures: the running number has four digits\n");
    return 2;
  }
  if (out.back() != L'\\') out += L'\\';
  const std::vector<Shot> plan = Plan(count, g_dibs);
  Started program;
  if (!StartProgram(exe, out, &program)) return 1;
  Feeder feeder;
  Feeder::Pump(500);
  const Resources atStart = Measure(program.process, program.pid, program.unixPid);
  Resources at100 = atStart;
  const int earlyMark = std::min(100, count);

  std::map<Kind, std::vector<double>> latency;
  std::vector<int> savedShots;  // indices of the pictures that should be files, in order
  long long wineBytes = 0;  // CF_BITMAP pictures after the early mark
  double pacedMs = 0, burstMs = 0;
  int paced = 0, bursts = 0;
  const auto runStart = std::chrono::steady_clock::now();
  auto lastPut = runStart - std::chrono::seconds(1);
  for (const Shot& shot : plan) {
    // Ten at the pace of a fast user, then ten as fast as they are taken.
    const bool burst = (shot.index / 10) % 2 == 1;
    if (!burst) {
      Feeder::WaitFor([&] { return std::chrono::steady_clock::now() - lastPut >= std::chrono::milliseconds(50); }, 1000);
    }
    const auto begin = std::chrono::steady_clock::now();
    lastPut = begin;
    if (!Check(PutShot(feeder, shot), "picture " + std::to_string(shot.index + 1) + ": cannot set the clipboard")) break;
    const auto put = std::chrono::steady_clock::now();
    if (shot.kind == Kind::kBitmap && shot.index >= earlyMark) wineBytes += WineBitmapBytes(shot);
    if (shot.saved()) {
      savedShots.push_back(shot.index);
      if (!Check(WaitTaken(feeder, static_cast<int>(savedShots.size())),
                 "picture " + std::to_string(shot.index + 1) + " (" + KindName(shot.kind) + ") was not taken within 10 s")) {
        break;
      }
      latency[shot.kind].push_back(Ms(std::chrono::steady_clock::now() - put));
    }
    (burst ? burstMs : pacedMs) += Ms(std::chrono::steady_clock::now() - begin);
    ++(burst ? bursts : paced);
    if (shot.index + 1 == earlyMark) {
      Feeder::Pump(300);
      at100 = Measure(program.process, program.pid, program.unixPid);
    }
  }
  const double runMs = Ms(std::chrono::steady_clock::now() - runStart);
  // Nothing more may come: no late file, no second copy.
  Feeder::Pump(1500);
  const Resources atEnd = Measure(program.process, program.pid, program.unixPid);

  const int listed = ListCount();
  std::vector<std::wstring> entries;
  for (int i = 0; i < listed; ++i) entries.push_back(ListEntry(i));
  const std::vector<std::wstring> files = FilesIn(out);
  StopProgram(&program);

  // Counts, order, and the pixels of every file against its picture.
  const int wanted = static_cast<int>(savedShots.size());
  Check(listed == wanted, "the list has " + std::to_string(listed) + " entries for " + std::to_string(wanted) + " pictures");
  Check(static_cast<int>(files.size()) == wanted,
        "the folder has " + std::to_string(files.size()) + " files for " + std::to_string(wanted) + " pictures");
  int entryFaults = 0;
  for (int i = 0; i < std::min(listed, wanted); ++i) {
    if (entries[i] != out + Numbered(i + 1) && entryFaults++ < 5) {
      Check(false, "list entry " + std::to_string(i + 1) + " is '" + Narrow(entries[i]) + "', not '" + Narrow(out + Numbered(i + 1)) + "'");
    }
  }
  Check(entryFaults == 0, std::to_string(entryFaults) + " list entries out of place");
  std::vector<std::wstring> listedNames;
  for (int i = 0; i < wanted; ++i) listedNames.push_back(Numbered(i + 1));
  std::sort(listedNames.begin(), listedNames.end());
  Check(files == listedNames, "the folder holds other files than the list names (a copy, a temporary file)");
  int compared = 0, pixelFaults = 0;
  for (int i = 0; i < std::min<int>(wanted, static_cast<int>(files.size())); ++i) {
    const Shot& shot = plan[static_cast<std::size_t>(savedShots[static_cast<std::size_t>(i)])];
    Bytes file = ReadAll(out + Numbered(i + 1));
    if (g_png) file = BmpOfPng(file);
    int width = 0, height = 0, bits = 0;
    std::string why;
    const Bytes rgb = DecodeBmp(file, &width, &height, &bits, &why);
    const bool same = !rgb.empty() && width == shot.width && height == shot.height && rgb == ExpectedRgb(shot);
    ++compared;
    if (!same && pixelFaults++ < 5) {
      Check(false, Narrow(Numbered(i + 1)) + " is not picture " + std::to_string(shot.index + 1) + " (" + KindName(shot.kind) +
                       " " + std::to_string(shot.width) + "x" + std::to_string(shot.height) + "): " +
                       (rgb.empty() ? why : std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits)));
    }
  }
  Check(pixelFaults == 0, std::to_string(pixelFaults) + " files differ from their pictures");

  Say("\n%d pictures in %.1f s: %d kept, %d with text beside them left alone\n", count, runMs / 1000, wanted,
      count - wanted);
  Say("paced (one per 50 ms): %d in %.1f s; bursts of ten: %d in %.1f s (%.1f ms each)\n", paced, pacedMs / 1000,
      bursts, burstMs / 1000, bursts ? burstMs / bursts : 0.0);
  Say("list: %d entries, in order: %s; files: %d, no other file: %s; pixels compared: %d files, %d differ\n", listed,
      entryFaults == 0 ? "yes" : "no", static_cast<int>(files.size()), files == listedNames ? "yes" : "no", compared, pixelFaults);
  Say("\n%-18s %6s %9s %9s %9s   (ms from the change to the listed file)\n", "kind", "count", "median", "p95", "max");
  for (auto& [kind, ms] : latency) {
    std::sort(ms.begin(), ms.end());
    Say("%-18s %6d %9.1f %9.1f %9.1f\n", KindName(kind), static_cast<int>(ms.size()), ms[ms.size() / 2], ms[ms.size() * 95 / 100],
        ms.back());
  }
  // Wine's process heap holds its copies of the clipboard's contents and a
  // list box's entries alike, and grows as the entries scatter among the
  // places the copies leave. Minimal readers of the same DIBs show it apart
  // from the program, with the list entries and without.
  if (g_dibs) {
    const long long reading = ReaderGrowthKb(plan, L"dib", out), listing = ReaderGrowthKb(plan, L"dib-list", out);
    Say("\nminimal readers of the same DIBs, RssAnon from picture %d on: reading only %+lld KiB, "
        "reading and listing each path in a list box %+lld KiB\n", earlyMark, reading, listing);
  }
  bool withinBounds = true;
  PrintResources(at100, atEnd, earlyMark, count, wineBytes / 1024, g_dibs ? 2 * 1024 : 16 * 1024, &withinBounds);
  Say("(at start: handles %ld, GDI objects %ld, windows %ld, RssAnon %lld KiB; CPU time of Pixkeeper %.1f s)\n",
      atStart.handles, atStart.gdiObjects, atStart.windows, atStart.rssAnonKb, atEnd.cpuSeconds);
  Check(withinBounds, "a resource grew past its bound between picture " + std::to_string(earlyMark) + " and picture " +
                          std::to_string(count));
  Say("\n%s\n", failures == 0 ? "soak passed" : "soak FAILED");
  return failures == 0 ? 0 : 1;
}

// --- the counting shown on a program that leaks ------------------------------

const wchar_t kLeakStep[] = L"Local\\PkSoakLeakStep", kLeakDone[] = L"Local\\PkSoakLeakDone";
constexpr int kLeakPerStep = 50, kLeakMegabytesPerStep = 40, kLeakSteps = 3;

// Each step leaks kLeakPerStep events, brushes + bitmaps (two GDI objects
// each), windows, and kLeakMegabytesPerStep MiB of touched memory.
int RunLeak() {
  HANDLE step = OpenEventW(SYNCHRONIZE, FALSE, kLeakStep);
  HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, kLeakDone);
  if (step == nullptr || done == nullptr) return 1;
  SetEvent(done);  // idle figures first
  for (int s = 0; s < kLeakSteps; ++s) {
    if (WaitForSingleObject(step, 30000) != WAIT_OBJECT_0) return 1;
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < kLeakPerStep; ++i) {
      CreateEventW(nullptr, TRUE, FALSE, nullptr);
      CreateSolidBrush(RGB(i, s, 0));
      CreateCompatibleBitmap(screen, 8, 8);
      CreateWindowExW(0, L"STATIC", L"leak", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    }
    ReleaseDC(nullptr, screen);
    const std::size_t bytes = static_cast<std::size_t>(kLeakMegabytesPerStep) << 20;
    auto* memory = static_cast<char*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    for (std::size_t at = 0; memory && at < bytes; at += 4096) memory[at] = 1;
    SetEvent(done);
  }
  WaitForSingleObject(step, 30000);  // until the parent has its figures
  return 0;
}

int RunLeakDemo() {
  HANDLE step = CreateEventW(nullptr, FALSE, FALSE, kLeakStep);
  HANDLE done = CreateEventW(nullptr, FALSE, FALSE, kLeakDone);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Started child;
  if (!Check(Launch(self, L" leak", &child), "cannot start the leaking copy")) return 1;
  Say("A copy of this tool leaks, per step, %d kernel handles (events), %d GDI objects (%d brushes, %d bitmaps),\n"
      "%d windows and %d MiB of memory; counted from outside as in the long run:\n\n",
      kLeakPerStep, 2 * kLeakPerStep, kLeakPerStep, kLeakPerStep, kLeakPerStep, kLeakMegabytesPerStep);
  Say("%-6s %8s %12s %8s %14s   %s\n", "step", "handles", "GDI objects", "windows", "RssAnon KiB",
      "GetProcessHandleCount / GetGuiResources GDI, USER / PrivateUsage KiB");
  Resources first, previous;
  bool ok = true;
  for (int s = 0; s <= kLeakSteps; ++s) {
    if (!Check(WaitForSingleObject(done, 30000) == WAIT_OBJECT_0, "the leaking copy does not answer")) return 1;
    if (s == 0) child.unixPid = FindUnixPid(child.commandLine);
    const Resources r = Measure(child.process, child.pid, child.unixPid);
    Say("%-6d %8ld %12ld %8ld %14lld   %lu / %lu, %lu / %llu\n", s, r.handles, r.gdiObjects, r.windows, r.rssAnonKb,
        r.handleCountCall, r.gdiCall, r.userCall, r.privateUsage / 1024);
    if (s == 0) first = r;
    if (s > 0) {
      // Each step must show its leak; after the first (which also sets up
      // the thread's windowing), little more than that.
      const long slack = s == 1 ? 100 : 2;
      auto within = [&](long long grew, long long leaked) { return grew >= leaked && grew <= leaked + slack; };
      ok &= within(r.handles - previous.handles, kLeakPerStep);
      ok &= within(r.gdiObjects - previous.gdiObjects, 2 * kLeakPerStep);
      ok &= within(r.windows - previous.windows, kLeakPerStep);
      ok &= r.rssAnonKb - previous.rssAnonKb >= kLeakMegabytesPerStep * 1024;
    }
    previous = r;
    SetEvent(step);
  }
  Say("\ngrowth over %d steps: handles %+ld, GDI objects %+ld, windows %+ld, RssAnon %+lld KiB\n", kLeakSteps,
      previous.handles - first.handles, previous.gdiObjects - first.gdiObjects, previous.windows - first.windows,
      previous.rssAnonKb - first.rssAnonKb);
  WaitForSingleObject(child.process, 30000);
  Check(ok, "the counts do not show the leaks");
  Say("%s\n", ok ? "every leak was counted" : "leak demo FAILED");
  return ok ? 0 : 1;
}

// --- full-screen pictures as CF_BITMAP or CF_DIB -------------------------------

bool PutScreen(Feeder& feeder, const Bytes& dib, bool asBitmap) {
  return feeder.Put([&] { return asBitmap ? Feeder::PutBitmap(dib) : Feeder::PutData(CF_DIB, dib.data(), dib.size()); });
}

// The program's memory over `count` pictures of 1920 x 1080 of one form.
int RunBitmaps(const std::wstring& exe, std::wstring out, int count, bool asBitmap) {
  if (out.back() != L'\\') out += L'\\';
  Started program;
  if (!StartProgram(exe, out, &program)) return 1;
  Feeder feeder;
  Feeder::Pump(500);
  const Bytes dib = MakeScreenDib(1920, 1080, 7);
  const Resources idle = Measure(program.process, program.pid, program.unixPid);
  Say("%s: Pixkeeper's RssAnon KiB (above idle %lld) after n pictures of 1920x1080 as %s:\n ", asBitmap ? "bitmap" : "dib",
      idle.rssAnonKb, asBitmap ? "CF_BITMAP" : "CF_DIB");
  Resources last = idle;
  for (int i = 1; i <= count; ++i) {
    if (!Check(PutScreen(feeder, dib, asBitmap), "cannot set the clipboard") || !Check(WaitTaken(feeder, i), "not taken")) break;
    if (i % 5 == 0 || i == 1) {
      Feeder::Pump(200);
      last = Measure(program.process, program.pid, program.unixPid);
      Say(" %d:%+lld", i, last.rssAnonKb - idle.rssAnonKb);
    }
  }
  Feeder::Pump(1000);
  last = Measure(program.process, program.pid, program.unixPid);
  Say("\n  after %d: %+lld KiB (%.1f MiB per picture); handles %+ld, GDI objects %+ld\n", count,
      last.rssAnonKb - idle.rssAnonKb, (last.rssAnonKb - idle.rssAnonKb) / 1024.0 / count, last.handles - idle.handles,
      last.gdiObjects - idle.gdiObjects);
  StopProgram(&program);
  return failures == 0 ? 0 : 1;
}

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

}  // namespace
}  // namespace pixkeeper::soak

int wmain(int argc, wchar_t** argv) {
  using namespace pixkeeper::soak;
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  g_png = argc == 6 && std::wcscmp(argv[5], L"png") == 0;
  g_dibs = argc == 6 && std::wcscmp(argv[5], L"dibs") == 0;
  if (mode == L"run" && argc >= 4 && argc <= 5 + (g_png || g_dibs)) return RunSoak(argv[2], argv[3], argc >= 5 ? _wtoi(argv[4]) : 1000);
  if (mode == L"leak-demo" && argc == 2) return RunLeakDemo();
  if (mode == L"leak" && argc == 2) return RunLeak();
  if (mode == L"bitmaps" && argc == 6) return RunBitmaps(argv[2], argv[3], _wtoi(argv[4]), std::wcscmp(argv[5], L"bitmap") == 0);
  if (mode == L"readers" && argc == 4) return RunReaders(std::wcscmp(argv[2], L"bitmap") == 0, _wtoi(argv[3]));
  if (mode == L"reader" && argc >= 3) return RunReader(argv[2], argc == 4 ? argv[3] : L"");
  std::fprintf(stderr,
               "usage: pk_soak run <Pixkeeper.exe> <out dir> [count [png]]\n"
               "       pk_soak leak-demo\n"
               "       pk_soak bitmaps <Pixkeeper.exe> <out dir> <count> <bitmap|dib>\n"
               "       pk_soak readers <bitmap|dib> <count>\n");
  return 2;
}
