// Plays the end-to-end scenarios against the real Pixkeeper.exe from inside
// Wine, the way a user and other programs meet it: windows by title and
// class, the list box, the clipboard, the stored settings, the files it
// writes and its beeps. Usage: e2e_driver GROUP (the groups are at the end).
// Every check reports its failure and goes on; every wait ends as soon as
// its condition holds.
//
// CTest runs one test per group, e2e_<group>, one at a time; each works in
// build/win/tests/e2e/work/<group>/, and screenshots of the windows go to
// build/win/tests/e2e/work/screenshots/. To run them alone:
//   cmake --build build/win
//   cmake/wine-session.sh build/win ctest --test-dir build/win -R e2e_ --output-on-failure
// A new group is a Group... function, its name in the table of wmain and in
// the CMake list.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/TestPictures.h"
#include "support/TestPng.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace pixkeeper::testing;  // the test pictures and PNGs
using Picture = TestPicture;
using Map = std::map<std::wstring, std::wstring>;
using std::to_wstring;
using std::wstring;

const wchar_t kMain[] = L"Pixkeeper", kMainClass[] = L"PixkeeperForm1", kBox[] = L"#32770";
const wchar_t kNotice[] = L"Pixkeeperからのお知らせ", kSaveDialog[] = L"画像ファイル選択";
const wchar_t kConfig[] = L"Software\\PIXKEEPER\\CONFIG", kViewer[] = L"PixkeeperImageView";
const WORD kCtrl = 0x100;  // with a key: Ctrl held

int checks = 0, failures = 0;
wstring work, out, baseDir;  // baseDir: `out` as stored, with its final "\"
HANDLE pk = nullptr;         // the copy that Start() started
HWND owner = nullptr;        // owns what the driver puts on the clipboard
HWND viewer = nullptr;       // joined the viewer chain before each group starts
std::vector<HANDLE> launched;
struct Viewer { HWND next = nullptr; int notices = 0; };
const UINT kIdleProbe = WM_APP + 0x51;  // posted to Pixkeeper's worker, posted back when it is idle
LPARAM idleAnswered = 0;
std::map<HWND, Viewer> viewers;

void Say(const wstring& line) {
  std::string utf8((line.size() + 1) * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, (line + L"\n").c_str(), -1, utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  std::fputs(utf8.c_str(), stdout);
  std::fflush(stdout);
}
bool Check(bool ok, const wstring& what) {
  ++checks;
  if (!ok) ++failures, Say(L"FAIL: " + what);
  return ok;
}
void Eq(const wstring& got, const wstring& want, const wstring& what) {
  Check(got == want, what + L":\n  got  '" + got + L"'\n  want '" + want + L"'");
}

// The driver's own windows answer while it waits: the program sends them
// messages (clipboard owner, viewers) and waits for the answer. Once a check
// has failed, waits are cut short: the run is failed and should end soon.
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  if (failures > 0) ms = std::min(ms, 1000);
  for (const DWORD start = GetTickCount();;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}
void Pause(int ms) { WaitFor([] { return false; }, ms); }  // for what should not happen

// Starts a program; its process handle goes to `process` (if asked for).
bool Run(const wchar_t* exe, wstring line, HANDLE* process = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return false;
  CloseHandle(started.hThread);
  if (process != nullptr) *process = started.hProcess;
  else if (started.hProcess != nullptr) CloseHandle(started.hProcess);
  return true;
}
// Starts a shell command of the machine Wine runs on. Wine cannot tell when
// such a command has ended: the caller waits for what it does.
bool RunUnix(const wstring& script) { return Run(nullptr, L"/bin/sh -c \"" + script + L"\""); }
wstring UnixPath(wstring path) {  // the build tree is on drive Z:, the root
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path.substr(2);
}
// --- windows ----------------------------------------------------------------

HWND Top(const wstring& title, const wchar_t* cls) {  // a visible one
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, title.c_str())) != nullptr;) {
    if (IsWindowVisible(w)) return w;
  }
  return nullptr;
}
HWND WaitTop(const wstring& title, const wchar_t* cls = kBox) {
  HWND found = nullptr;
  WaitFor([&] { return (found = Top(title, cls)) != nullptr; }, 10000);
  return found;
}
HWND Main() { return FindWindowW(kMainClass, kMain); }
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}
void SetText(HWND window, const wchar_t* text) { Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
wstring Text(HWND window) {
  wstring text(Send(window, WM_GETTEXTLENGTH) + 1, L'\0');
  text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}
wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}
RECT Rect(HWND window, HWND in = nullptr) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
RECT Client(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
wstring Size(const RECT& r) { return to_wstring(r.right - r.left) + L"x" + to_wstring(r.bottom - r.top); }
wstring Place(const RECT& r) { return to_wstring(r.left) + L"," + to_wstring(r.top) + L" " + Size(r); }
LONG Style(HWND window, int which = GWL_STYLE) { return static_cast<LONG>(GetWindowLongPtrW(window, which)); }
wstring Centred(HWND window) {  // across, and 300 twips above the middle of 1280 x 1024
  const RECT r = Rect(window);
  return to_wstring(r.left - (1280 - (r.right - r.left)) / 2) + L"," +
         to_wstring(r.top - (1024 - (r.bottom - r.top)) / 2);
}

// Keys through the input queue of the foreground window, with the state of
// the modifiers, as the keyboard gives them: accelerators work. A window
// takes posted messages (and the clipboard's notices) before input: what
// must follow the keys in order is a key too (Ctrl+Q), or use Command().
// Without a window, into the window that has the keys (an open menu, which
// making its owner the foreground window would close).
void Keys(HWND window, std::initializer_list<WORD> keys) {
  // Asked again until it holds: a program just started may take it meanwhile.
  if (window) WaitFor([&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 2000);
  for (WORD vk : keys) {
    for (DWORD up : {0, KEYEVENTF_KEYUP}) {
      if (vk & kCtrl && !up) keybd_event(VK_CONTROL, 0, 0, 0);
      keybd_event(vk & 0xFF, 0, up, 0);
      if (vk & kCtrl && up) keybd_event(VK_CONTROL, 0, up, 0);
    }
  }
}
void Click(HWND button) { Send(button, BM_CLICK); }
// A menu command of the main window, done when this returns.
void Command(int id) { Send(Main(), WM_COMMAND, static_cast<WPARAM>(id)); }
HWND Focus(HWND window) {  // of the window's thread
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

HWND List() { return GetDlgItem(Main(), 1001); }
int ListCount() { return static_cast<int>(Send(List(), LB_GETCOUNT)); }
wstring Status() { return Text(GetDlgItem(Main(), 1002)); }  // the main window's status line
// The system's text for an error code, as the user reads it.
wstring SystemText(DWORD code) {
  wchar_t text[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 512, nullptr);
  wstring said = text;
  while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ')) said.pop_back();
  return said;
}
wstring ListEntry(int index, HWND list = List()) {
  wstring text(Send(list, LB_GETTEXTLEN, index) + 1, L'\0');
  text.resize(std::max<LRESULT>(0, Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}
// A click (or double-click) on an entry, as the list box gets it.
void ListClick(int index, bool twice = false, HWND list = List()) {
  RECT item{};
  Send(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
    PostMessageW(list, message, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    if (!twice) break;
  }
}

// --- message boxes and screenshots ---------------------------------------------

// Pixels as 0xRRGGBB from the top row: of the screen, or of what `draw` draws.
std::vector<std::uint32_t> Grab(const RECT& r, const std::function<void(HDC)>& draw = nullptr) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  HDC dc = CreateCompatibleDC(nullptr), screen = GetDC(nullptr);
  std::uint32_t* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  if (draw) draw(dc);
  else BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<std::uint32_t> pixels(bits, bits + w * h);
  for (auto& p : pixels) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}
Bytes Rgb(const std::vector<std::uint32_t>& pixels) {  // R,G,B each
  Bytes rgb;
  for (std::uint32_t p : pixels) rgb.insert(rgb.end(), {BYTE(p >> 16), BYTE(p >> 8), BYTE(p)});
  return rgb;
}
// A message box's text and which standard icon it shows: the one that,
// drawn on the box's background, gives the pixels shown.
wstring BoxSays(HWND box) {
  wstring text;
  HWND icon = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) != L"Static") continue;
    if ((Style(c) & SS_TYPEMASK) == SS_ICON) icon = c;
    else if (text.empty()) text = Text(c);
  }
  const int size = GetSystemMetrics(SM_CXICON);
  RECT at = Rect(icon), area{0, 0, size, size};
  at.right = at.left + size, at.bottom = at.top + size;
  wstring name = L"none";
  WaitFor([&] {  // the box may not have painted yet
    const auto shown = Grab(at);
    for (auto known : {std::make_pair(IDI_INFORMATION, L"information"), std::make_pair(IDI_ERROR, L"error"),
                       std::make_pair(IDI_WARNING, L"warning"), std::make_pair(IDI_QUESTION, L"question")}) {
      const auto drawn = Grab(area, [&](HDC dc) {
        HBRUSH back = CreateSolidBrush(RGB(shown[0] >> 16, shown[0] >> 8 & 0xFF, shown[0] & 0xFF));
        FillRect(dc, &area, back);
        DeleteObject(back);
        DrawIconEx(dc, 0, 0, LoadIconW(nullptr, known.first), size, size, 0, nullptr, DI_NORMAL);
      });
      if (drawn == shown) name = known.second;
    }
    return icon == nullptr || name != L"none";
  });
  return text + L" " + name;
}
bool BoxOk(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return box != nullptr && WaitFor([&] { return !IsWindow(box); });
}
// The box titled so says this with this icon; `meanwhile` runs while it is
// up; then OK closes it.
bool Says(const wchar_t* title, const wstring& want, const wstring& what,
          const std::function<void()>& meanwhile = [] {}) {
  HWND box = WaitTop(title);
  Eq(BoxSays(box), want, what);
  meanwhile();
  return Check(BoxOk(box), what + L": OK closes the box");
}
// The screen under a window, saved to look at (in work\screenshots); a
// window with text drawn in it has many shades, an empty one a few.
std::vector<std::uint32_t> Screenshot(HWND window, const wstring& name) {
  const RECT r = Rect(window);
  const wstring shot = work + L"..\\screenshots\\" + name + L".png", tmp = UnixPath(shot + L".tmp.png");
  CreateDirectoryW((work + L"..\\screenshots").c_str(), nullptr);
  DeleteFileW(shot.c_str());
  RunUnix(L"import -window root -crop " + Size(r) + L"+" + to_wstring(r.left) + L"+" + to_wstring(r.top) +
          L" +repage " + tmp + L" && mv " + tmp + L" " + UnixPath(shot));
  WaitFor([&] { return GetFileAttributesW(shot.c_str()) != INVALID_FILE_ATTRIBUTES; });
  const auto pixels = Grab(r);
  Check(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size() > 8, name + L": the screenshot shows no text");
  return pixels;
}
// The client area's size and each control (class, text and place in the
// client area) as laid out, then a screenshot.
std::vector<std::uint32_t> LaidOut(HWND window, const wstring& name, const wstring& want) {
  wstring all = Size(Client(window)) + L"\n";
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    all += ClassOf(c) + L" " + Text(c) + L" " + Place(Rect(c, window)) + L"\n";
  }
  Eq(all, want, name + L": client area, controls");
  return Screenshot(window, name);
}

// --- the program and its settings ---------------------------------------------

HANDLE Launch(const wstring& arguments = L"", bool quoted = true) {
  const wstring exe = work + L"..\\..\\..\\..\\Pixkeeper.exe";  // next to tests
  HANDLE process = nullptr;
  Check(Run(exe.c_str(), (quoted ? L"\"" + exe + L"\" " : exe) + arguments, &process), L"cannot start " + exe);
  launched.push_back(process);
  return process;
}
bool Ended(HANDLE process, int ms = 10000) {
  return WaitFor([&] { return WaitForSingleObject(process, 0) != WAIT_TIMEOUT; }, ms);
}
void RegSet(const wstring& name, const wstring& text, DWORD type = REG_SZ, DWORD size = 0) {
  Check(RegSetKeyValueW(HKEY_CURRENT_USER, kConfig, name.c_str(), type, text.c_str(),
                        size ? size : static_cast<DWORD>((text.size() + 1) * 2)) == ERROR_SUCCESS,
        L"cannot store " + name);
}
void Settings(const Map& values) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  for (const auto& value : values) RegSet(value.first, value.second);
}
Map With(const Map& values, Map more) {  // `more` wins
  more.merge(Map(values));
  return more;
}
// Running numbers from 1 with this prefix, into `out`, at the stored place.
Map Numbering(const wstring& prefix, const Map& more = {}) {
  return With({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", prefix}, {L"StartValue", L"1"},
               {L"StartPos", L"0"}}, more);
}
wstring Join(const Map& values) {
  wstring all;
  for (const auto& value : values) all += value.first + L"=" + value.second + L" ";
  return all;
}
// Every stored value as "NAME=TEXT " in name order (texts only), or "absent".
wstring RegAll() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConfig, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"absent";
  Map values;
  wchar_t name[256], text[1024];
  DWORD type, nameLength = 256, size = sizeof text;
  for (DWORD i = 0; RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(text),
                                  &size) == ERROR_SUCCESS; ++i, nameLength = 256, size = sizeof text) {
    values[name] = type == REG_SZ ? text : L"<type " + to_wstring(type) + L">";
  }
  RegCloseKey(key);
  return Join(values);
}
wstring Stored(const Map& values) {  // RegAll() of the fourteen keys with these values
  return Join(With({{L"BaseDir", baseDir}, {L"DayFolders", L"0"}, {L"FNAME", L"BMP"}, {L"FTYPE", L"0"},
                    {L"KeepClipboard", L"0"}, {L"PresendFlag", L"0"}, {L"ProgramFolders", L"0"}, {L"SkipRepeats", L"0"},
                    {L"PresendValue", L"0"}, {L"SaveFormat", L"0"}, {L"StartMode", L"0"}, {L"StartPos", L"1"},
                    {L"StartValue", L"0"}, {L"ViewMode", L"0"}}, values));
}

// --- the clipboard and the viewer chain ----------------------------------------

bool PutClipboard(const std::function<bool()>& fill) {
  if (!Check(WaitFor([] { return OpenClipboard(owner) != FALSE; }, 3000), L"cannot open the clipboard")) return false;
  EmptyClipboard();
  const bool ok = fill();
  CloseClipboard();
  return Check(ok, L"cannot put data on the clipboard");
}
bool PutData(UINT format, const void* data, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::copy_n(static_cast<const char*>(data), size, static_cast<char*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  return SetClipboardData(format, memory) != nullptr;
}
// Data of one format, and of a second one when asked, as a program puts it.
void PutAs(UINT format, const void* data, std::size_t size, UINT also = 0, const Bytes& more = {}) {
  PutClipboard([&] { return PutData(format, data, size) && (!also || PutData(also, more.data(), more.size())); });
}
bool PutText(const wstring& text) { return PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * 2); }
enum class Form { kDib, kDibAndText, kBitmap };
// A test picture as another program puts it on the clipboard; a bitmap is
// made from it on the screen's format, and its DIB is then unknown.
Picture Put(const std::string& kind, int width = 0, Form form = Form::kDib, int height = 0) {
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
wstring ClipText() {
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 3000)) return L"<cannot open>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<no text>";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  return text;
}
bool ClipEmpty(int ms) { return WaitFor([] { return CountClipboardFormats() == 0; }, ms); }

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
HWND NewWindow(const wstring& title) {
  return CreateWindowExW(0, L"E2eWindow", title.c_str(), WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
}
HWND JoinViewer(const wstring& title = L"e2e viewer") {
  HWND window = NewWindow(title);
  viewers[window].next = SetClipboardViewer(window);
  return window;
}
void LeaveViewer(HWND window) {
  ChangeClipboardChain(window, viewers[window].next);
  viewers.erase(window);
  DestroyWindow(window);
}
// Pixkeeper takes up the clipboard's changes one at a time on a worker
// thread; a message sent to the worker's window is answered once every
// change noticed before it has been dealt with.
bool WorkerIdle() {
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
bool Heard(HWND who, const std::function<void()>& put, UINT left = 0) {
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

// --- files and beeps --------------------------------------------------------------

Bytes ReadAll(const wstring& path) {
  Bytes bytes;
  if (FILE* file = _wfopen(path.c_str(), L"rb")) {
    for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}
void WriteAll(const wstring& path, const Bytes& bytes = {'o', 'l', 'd', 'e', 'r'}) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}
// The names of the files in a directory, in order, each followed by a blank.
wstring Files(const wstring& directory) {
  std::set<wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((directory + L"*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  }
  FindClose(find);
  wstring all;
  for (const auto& name : names) all += name + L" ";
  return all;
}

// The pixels of a BMP file as R,G,B from the top row, as Windows reads it.
Bytes FilePixels(const wstring& path) {
  auto file = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  BITMAP size{};
  if (!GetObjectW(file, sizeof size, &size)) return {};
  return Rgb(Grab({0, 0, size.bmWidth, size.bmHeight}, [&](HDC dc) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, file);
    BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    DeleteObject(SelectObject(source, old));
    DeleteDC(source);
  }));
}

// A DIB behind a file header that points at its pixels.
Bytes BmpFile(const Bytes& d) {
  const unsigned header = d[0] | d[1] << 8, count = header == 12 ? d[10] : d[14];
  const unsigned used = header == 12 ? 0 : d[32] | d[33] << 8;
  const unsigned colours = used ? used : count <= 8 ? 1u << count : 0;
  const std::size_t offset = 14 + header + (header == 40 && d[16] == 3 ? 12 : 0) + colours * (header == 12 ? 3 : 4);
  Bytes file{'B', 'M'};
  for (std::uint32_t v : {static_cast<std::uint32_t>(14 + d.size()), 0u, static_cast<std::uint32_t>(offset)}) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(v >> 8 * i));
  }
  file.insert(file.end(), d.begin(), d.end());
  return file;
}

// Entry INDEX is the save directory joined with NAME, the file holds the
// picture, and the clipboard is emptied (unless another picture came
// meanwhile). A DIB is written as it came behind a file header that points
// at its pixels; a bitmap's pixels are decoded.
void ExpectCapture(const wstring& what, int index, const wstring& name, const Picture& picture, bool keep = false) {
  if (!Check(WaitFor([&] { return ListCount() > index; }), what + L": no list entry")) return;
  Eq(ListEntry(index), baseDir + name, what + L": list entry");
  if (!keep) Check(ClipEmpty(3000), what + L": clipboard not emptied");
  if (picture.dib.empty()) Check(FilePixels(out + name) == picture.rgb, what + L": the pixels of " + name + L" differ");
  else Check(ReadAll(out + name) == BmpFile(picture.dib), what + L": " + name + L" is not the DIB behind a header");
}
// The picture as its pixels only: its DIB is not what the file holds.
Picture PixelsOf(Picture picture) { return picture.dib.clear(), picture; }
wstring Numbered(const wstring& prefix, int n) { return prefix + to_wstring(10000 + n).substr(1) + L".BMP"; }

// Started once the main window heads the viewer chain (the last step of the
// start) and is shown; then a first picture is saved as `first`, if named.
bool Running() { return Main() && GetClipboardViewer() == Main() && IsWindowVisible(Main()); }
bool Start(const wstring& first = L"") {
  pk = Launch();
  const bool started = Check(WaitFor(Running, 30000), L"Pixkeeper did not start and join the viewer chain; it says: " +
                                                          BoxSays(Top(kMain, kBox)));
  if (started && !first.empty()) ExpectCapture(L"the first picture", 0, first, Put("rgb24"));
  return started;
}
bool Start(const Map& settings, const wstring& first = L"") { return Settings(settings), Start(first); }
bool Stop() {
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  return Check(Ended(pk, 20000), L"Pixkeeper did not end after WM_CLOSE");
}
void StopStored(const Map& values, const wstring& what) {
  Stop();
  Eq(RegAll(), Stored(values), what);
}

// --- pictures in other forms ------------------------------------------------------

std::uint8_t AlphaAt(std::size_t pixel) { return static_cast<std::uint8_t>(pixel * 53 % 256); }
// The PNG of a test picture's pixels (with AlphaAt's alpha when asked).
Bytes Png(const Picture& p, bool alpha) {
  Bytes raw;
  for (std::size_t i = 0; i < p.rgb.size() / 3; ++i) {
    if (i % p.width == 0) raw.push_back(0);  // no filter
    raw.insert(raw.end(), p.rgb.begin() + i * 3, p.rgb.begin() + i * 3 + 3);
    if (alpha) raw.push_back(AlphaAt(i));
  }
  return MakePng(p.width, p.height, alpha ? 6 : 2, StoredZlib(raw));
}
// A 32-bit DIB with a V5 header whose alpha mask is set, with AlphaAt's alpha.
Picture AlphaDib(int width = 0) {
  Picture p = MakeTestPicture("rgb24", width);
  p.dib = V5Picture(false, 0, p.width, p.height);
  Set32(p.dib, 52, 0xFF000000);
  for (int i = 0; i < p.width * p.height; ++i) p.dib[124 + i * 4 + 3] = AlphaAt((p.height - 1 - i / p.width) * p.width + i % p.width);
  return p;
}
// A BMP file's "bits, alpha mask".
wstring Depth(const Bytes& f) {
  if (f.size() < 58) return L"no file";
  wchar_t mask[16] = L"";
  if (f[14] >= 56) std::swprintf(mask, 16, L" %02x%02x%02x%02x", f[69], f[68], f[67], f[66]);
  return to_wstring(f[28]) + mask;
}
Bytes WithAlpha(const Picture& p, bool opaque = false) {  // R,G,B,A each: AlphaAt's alpha, or 255
  Bytes rgba;
  for (std::size_t i = 0; i < p.rgb.size() / 3; ++i) {
    rgba.insert(rgba.end(), p.rgb.begin() + i * 3, p.rgb.begin() + i * 3 + 3);
    rgba.push_back(opaque ? 255 : AlphaAt(i));
  }
  return rgba;
}

// A beep reaches the X server as a bell; xkbevd writes a line for each, the
// first for the bell it rings itself as it starts.
int Bells() {
  const Bytes bytes = ReadAll(work + L"bells");
  return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) - 1;
}

// --- the scenario groups ----------------------------------------------------------

// Pictures of every kind become BMP files listed by their paths, with a beep
// each; what is no picture to keep leaves no file, entry or beep. Viewers
// that joined the chain before Pixkeeper hear of every change while it runs
// and after it leaves, also when one of them leaves.
void GroupCapture() {
  const Map settings = Numbering(L"CAP");
  Put("rgb24");
  HWND a = JoinViewer(L"viewer a"), b = JoinViewer(L"viewer b");
  const wstring config = UnixPath(work + L"xkbevd.cf");
  Check(RunUnix(L"echo 'Bell() shell \\\"echo bell >> " + UnixPath(work + L"bells") + L"\\\"' > " + config +
                L"; timeout 300 xkbevd -cfg " + config + L" </dev/null >/dev/null 2>&1 & echo $! > " +
                UnixPath(work + L"xkbevd.pid")) && WaitFor([] { return Bells() >= 0; }), L"xkbevd counts no bells");
  if (!Start(settings)) return;
  Check(ClipEmpty(0) && ListCount() == 0 && Files(out).empty(), L"a picture present at start is discarded");
  // 4935 x 3495 twips with a status line of 360 below the list.
  Eq(Place(Client(Main())), L"260,223 329x257", L"the client area at 3900, 3345 twips, 4935 x 3855");
  int n = 0;
  for (const std::string& kind : TestPictureNames()) {
    ExpectCapture(wstring(kind.begin(), kind.end()), n, Numbered(L"CAP", n + 1), Put(kind)), ++n;
  }
  ExpectCapture(L"bitmap", n, Numbered(L"CAP", n + 1), Put("rgb24", 40, Form::kBitmap)), ++n;
  // PNG only: 24 bits, or 32 with its alpha; a DIB with alpha as CF_DIBV5,
  // and one beside a CF_DIBV5 without alpha.
  const UINT pngFormat = RegisterClipboardFormatW(L"PNG");
  const Picture opaque = MakeTestPicture("rgb24"), withAlpha = AlphaDib(20);
  for (const Picture* p : {&opaque, &withAlpha}) {
    const Bytes png = Png(*p, p == &withAlpha);
    PutAs(pngFormat, png.data(), png.size());
    ExpectCapture(L"PNG", n, Numbered(L"CAP", n + 1), PixelsOf(*p));
    const Bytes file = ReadAll(out + Numbered(L"CAP", ++n));
    Eq(Depth(file), p == &opaque ? L"24" : L"32 ff000000", L"PNG: the depth");
    const std::size_t pixels = p->dib.size() - 124;  // 32 bits from the bottom row, as AlphaDib's
    Check(p == &opaque || (file.size() > pixels && std::equal(file.end() - pixels, file.end(), p->dib.end() - pixels)),
          L"PNG: the alpha kept");
  }
  PutAs(CF_DIBV5, withAlpha.dib.data(), withAlpha.dib.size());
  ExpectCapture(L"DIB with alpha", n, Numbered(L"CAP", n + 1), withAlpha), ++n;
  PutAs(CF_DIB, opaque.dib.data(), opaque.dib.size(), CF_DIBV5, V5Picture(false, 0));
  ExpectCapture(L"DIB beside one without alpha", n, Numbered(L"CAP", n + 1), opaque), ++n;
  Check(WaitFor([&] { return viewers[a].notices >= n && viewers[b].notices >= n; }), L"both earlier viewers hear");

  Check(Heard(a, [] { Put("rgb24", 0, Form::kDibAndText); }, CF_DIB), L"text + picture: not passed on, left");
  Eq(ClipText(), L"セル A1", L"text with a picture is kept");
  // A PNG cut short, and one whose pixels fail their check sum (the checks
  // themselves are unit-tested).
  const Bytes good = Png(opaque, false);
  Bytes damaged = good;
  damaged[good.size() - 13] ^= 1;
  for (const Bytes& b : {Bytes(good.begin(), good.begin() + 70), damaged}) {
    Check(Heard(a, [&] { PutAs(pngFormat, b.data(), b.size()); }, pngFormat), L"bad PNG: not passed on, left");
  }

  // A save directory that has gone, then a read-only file of the next name;
  // viewer b has left the chain.
  LeaveViewer(b);
  MoveFileW(out.c_str(), (work + L"away").c_str());
  Check(Heard(a, [] { Put("rgb24"); }, CF_DIB), L"missing directory: not passed on after b left, the picture left");
  Eq(Status(), L"保存できませんでした: " + out + Numbered(L"CAP", n + 1) + L" (" + SystemText(ERROR_PATH_NOT_FOUND) + L")",
     L"missing directory: the status line");
  Check(GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES && MoveFileW((work + L"away").c_str(), out.c_str()),
        L"no save directory made");
  const wstring locked = out + Numbered(L"CAP", n + 2);
  WriteAll(locked);
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  Check(Heard(a, [] { Put("rgb24", 3); }, CF_DIB) && ReadAll(locked) == Bytes{'o', 'l', 'd', 'e', 'r'},
        L"read-only file: not passed on, left, the older file kept whole");
  wstring files;
  for (int i = 1; i <= n + 2; ++i) files += i == n + 1 ? L"" : Numbered(L"CAP", i) + L" ";
  Eq(Files(out), files, L"the files: none made for the failures, nothing left over");
  HWND c = JoinViewer(L"viewer c");
  Check(Heard(a, [&] { ExpectCapture(L"the next number", n, Numbered(L"CAP", n + 3), Put("rgb24", 5)); }),
        L"viewer a hears through c, ahead of Pixkeeper");
  ListClick(0);  // a path copied by a click is text: no beep for it
  WaitFor([&] { return ClipText() == baseDir + Numbered(L"CAP", 1) && Bells() >= n + 1; }, 3000);
  Pause(300);  // for one too many
  Eq(to_wstring(Bells()), to_wstring(n + 1), L"a beep for each picture saved, none otherwise");
  StopStored(With(settings, {{L"PresendValue", to_wstring(n + 4)}}), L"stored at exit");
  Check(viewers[c].next == a, L"Pixkeeper names a as it leaves");
  Check(Heard(a, [] { PutClipboard([] { return PutText(L"after exit"); }); }), L"viewer a hears after Pixkeeper ended");
}

// Opened by its shortcut from the main window: centred, no task-bar button,
// a close box only; Enter and Esc leave it open.
HWND OpenDialog(WORD key, const wchar_t* title, const wchar_t* cls) {
  Keys(Main(), {key});
  HWND d = WaitTop(title, cls);
  const wstring what = title;
  if (!Check(d != nullptr, what + L" did not open")) return nullptr;
  Eq(Centred(d), L"1,-20", what + L": centred");
  Check(GetWindow(d, GW_OWNER) && !(Style(d, GWL_EXSTYLE) & WS_EX_APPWINDOW), what + L": no task-bar button");
  Check((Style(d) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_SYSMENU)) == WS_SYSMENU,
        what + L": close box only");
  Keys(d, {VK_RETURN, VK_ESCAPE});
  Pause(300);
  Check(IsWindowVisible(d), what + L": Enter and Esc leave it open");
  return d;
}
HWND OpenFname() { return OpenDialog('F' | kCtrl, L"保存ファイル名選択", L"PixkeeperFname"); }
wstring FnameState(HWND d) {  // the three options and the check box, then the three boxes
  wstring state;
  for (int id : {2000, 2001, 2002, 2016}) state += to_wstring(Send(GetDlgItem(d, id), BM_GETCHECK));
  for (int id : {2012, 2014, 2018}) state += L" " + Text(GetDlgItem(d, id));
  return state + (IsWindowEnabled(GetDlgItem(d, 2014)) ? L" next enabled" : L"");
}
wstring Stamp(const wstring& prefix) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[16];
  std::swprintf(stamp, 16, L"%02u%02u%02u%02u%02u", now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  return prefix + stamp;
}

// The three naming schemes, chosen by the stored settings (also as other
// programs may have stored them) and through the file-name dialog, and what
// the dialog stores.
void GroupNaming() {
  // From the start value, not the stored number.
  if (!Start(Numbering(L"画像", {{L"StartValue", L"0012"}, {L"PresendValue", L"37"}}), L"画像0012.BMP")) return;
  HWND d = OpenFname();
  if (!d) return;
  Eq(FnameState(d), L"0100 0012 13 画像", L"the dialog shows the settings");
  Click(GetDlgItem(d, 2000));
  const wstring stamp = Stamp(L"画像");
  const Picture dated = Put("rgb24", 6);
  WaitFor([] { return ListCount() > 1; });
  const wstring name = ListEntry(1) == baseDir + stamp + L".BMP" ? stamp : Stamp(L"画像");
  ExpectCapture(L"by the date, chosen behind the dialog", 1, name + L".BMP", dated);
  Click(GetDlgItem(d, 2001));
  SetText(GetDlgItem(d, 2012), L"");
  for (wchar_t c : wstring(L"1a2-345")) Send(GetDlgItem(d, 2012), WM_CHAR, c, 1);
  for (int id : {2016, 2015}) Click(GetDlgItem(d, id));  // the check box, Reset
  SetText(GetDlgItem(d, 2018), L"PK");
  Eq(FnameState(d), L"0101 1234 1234 PK", L"digits only, four at most; the check box; Reset");
  Click(GetDlgItem(d, 2019));
  Check(WaitFor([&] { return !IsWindowVisible(d); }), L"戻る hides the dialog");
  ExpectCapture(L"after the dialog", 2, L"PK1234.BMP", Put("rgb24"));
  const Map kept = {{L"FNAME", L"PK"}, {L"FTYPE", L"1"}, {L"PresendFlag", L"1"}, {L"StartPos", L"0"},
                    {L"StartValue", L"1234"}};
  StopStored(With(kept, {{L"PresendValue", L"1235"}}), L"stored after 戻る");

  // The number carried over; the close box keeps the option and Reset's
  // number, not the texts.
  if (!Start() || !(d = OpenFname())) return;
  Eq(FnameState(d), L"0101 1234 1235 PK", L"the dialog shows the stored values");
  ExpectCapture(L"carried over", 0, L"PK1235.BMP", Put("rgb24"));
  for (int id : {2002, 2015}) Click(GetDlgItem(d, id));  // user input, Reset
  SetText(GetDlgItem(d, 2018), L"ZZ");
  PostMessageW(d, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindowVisible(d); }), L"the close box closes the dialog");
  // User input: the save dialog asks for each name.
  const Picture first = Put("rgb24");
  HWND save = WaitTop(kSaveDialog);
  if (!Check(save != nullptr, L"the save dialog did not open")) return;
  Check(GetWindow(save, GW_OWNER) == Main(), L"the save dialog is owned by the main window");
  Eq(Text(GetDlgItem(save, 1137)) + L" " + Text(GetDlgItem(save, 1136)), L"out 画像ﾌｧｲﾙ (*.BMP)",
     L"save dialog: folder and filter");
  Check(!IsWindowVisible(GetDlgItem(save, 1040)), L"save dialog without the read-only check box");
  SetText(GetDlgItem(save, 0x47C), L"typed_name");  // the name box
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"the name as typed", 1, L"typed_name", first);
  // Cancelled: USERINPUT.BMP, replacing an older one; a picture copied
  // meanwhile is asked for next.
  WriteAll(out + L"USERINPUT.BMP");
  const Picture cancelled = Put("rgb24", 7);
  save = WaitTop(kSaveDialog);
  const Picture meanwhile = Put("rgb24", 13);
  PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
  ExpectCapture(L"cancelled", 2, L"USERINPUT.BMP", cancelled, true);
  WaitFor([&] { return !IsWindow(save); });
  save = WaitTop(kSaveDialog);
  if (!Check(save != nullptr, L"a picture copied behind the save dialog was dropped")) return;
  SetText(GetDlgItem(save, 0x47C), L"later.BMP");
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"copied while the dialog was open", 3, L"later.BMP", meanwhile);
  StopStored(With(kept, {{L"FTYPE", L"2"}, {L"PresendValue", L"1234"}}), L"stored after the close box");

  // Values of other types and lengths: a number, a text without its end,
  // a text cut by a NUL, bytes (not read: the default).
  const DWORD one = 1;
  RegSet(L"FTYPE", reinterpret_cast<const wchar_t*>(&one), REG_DWORD, 4);
  RegSet(L"FNAME", L"abc", REG_SZ, 6);
  RegSet(L"PresendFlag", L"0", REG_BINARY, 2);
  RegSet(L"StartValue", wstring(L"12\0junk", 7), REG_SZ, 16);
  if (Start(L"abc0012.BMP")) Stop();
}

// Every way of ending stores the nine settings; the running number
// survives to the next start.
bool EndSession(bool really) {
  Check(Send(Main(), WM_QUERYENDSESSION) != 0, L"the session may end");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  Send(Main(), WM_ENDSESSION, really);
  return Ended(pk, really ? 10000 : 300);
}
void GroupClose() {
  if (!Start(Numbering(L"Q", {{L"StartValue", L"5"}, {L"StartPos", L"1"}}), L"Q0005.BMP")) return;
  Keys(Main(), {'P' | kCtrl, 'I' | kCtrl, 'V' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Map stored = Numbering(L"Q", {{L"StartValue", L"5"}, {L"PresendValue", L"6"}, {L"StartMode", L"1"}, {L"StartPos", L"0"},
                                {L"ViewMode", L"1"}});
  Eq(RegAll(), Stored(stored), L"stored after Ctrl+Q, the marks toggled");

  // A save directory over 128 characters, with Japanese names, kept whole.
  for (int i = 0; i < 4; ++i) {
    CreateDirectoryW((baseDir = out += L"スクリーンショット保存先_long_directory_name\\").c_str(), nullptr);
  }
  stored = With(stored, {{L"BaseDir", baseDir}, {L"PresendFlag", L"1"}});
  auto storedAt = [&](const wchar_t* number) { return With(stored, {{L"PresendValue", number}}); };
  if (!Start(stored, L"Q0006.BMP")) return;
  Check(IsIconic(Main()), L"started minimised");
  StopStored(storedAt(L"7"), L"stored after the close box");

  if (!Start()) return;
  Check(!EndSession(false) && GetClipboardViewer() == Main(), L"still running after a cancelled session end");
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()); });
  if (!OpenFname()) return;
  ExpectCapture(L"into the long directory read back, behind the dialog", 0, L"Q0007.BMP", Put("rgb24", 4));
  Check(EndSession(true), L"the program ends with the session, dialog and all");
  Eq(RegAll(), Stored(storedAt(L"8")), L"stored at the session end");
}

// A second copy refuses to start and leaves the first alone, as does a
// window of another program titled Pixkeeper; "/CLEAR" while a copy runs
// deletes the settings, which the running copy writes at exit. Stored values
// that stop the start.
void GroupSingle() {
  const Map settings = Numbering(L"S", {{L"StartMode", L"1"}});
  if (!Start(settings, L"S0001.BMP")) return;
  auto state = [] { return Place(Rect(Main())) + L" " + to_wstring(Style(Main())); };  // WS_MINIMIZE included
  const wstring before = state();
  Check(IsIconic(Main()), L"first copy minimised");
  HANDLE second = Launch();
  Says(kNotice, L"すでに起動されているので終了します。 information", L"the notice", [] {
    Check(!FindWindowExW(nullptr, Main(), kMainClass, nullptr), L"one main window while the notice is up");
  });
  Check(Ended(second), L"the second copy ends after OK");
  Eq(state(), before, L"first copy untouched");
  Check(GetClipboardViewer() == Main(), L"first copy still heads the viewer chain");
  ExpectCapture(L"first copy still captures", 1, L"S0002.BMP", Put("rgb24", 3));
  Check(Ended(Launch(L" \t /clear", false)), L"the clearing copy ends");
  Check(Top(kNotice, kBox) == nullptr && RegAll() == L"absent", L"/clear deletes the settings, no notice");
  StopStored(With(settings, {{L"PresendValue", L"3"}}), L"the running copy writes the nine keys at exit");

  HWND other = NewWindow(kMain);
  HANDLE refused = Launch();
  Check(BoxOk(WaitTop(kNotice)) && Ended(refused), L"refused because of another program's window");
  DestroyWindow(other);

  // A stored value that cannot be converted stops the start with the error's
  // number and text: no main window, nothing written. "/CLEAR" is the way out.
  for (const Map& bad : {Map{{L"PresendValue", L"abc"}}, Map{{L"ViewMode", L"-40000"}}}) {
    const Map settings = With(bad, {{L"BaseDir", baseDir}});
    Settings(settings);
    HANDLE process = Launch();
    Says(kMain, bad.count(L"ViewMode") ? L"実行時エラー '6':\r\n\r\nオーバーフローしました。 error"
                                       : L"実行時エラー '13':\r\n\r\n型が一致しません。 error", Join(bad),
         [&] { Check(!Top(kMain, kMainClass), Join(bad) + L": no main window"); });
    Check(Ended(process), Join(bad) + L": the end after OK");
    Eq(RegAll(), Join(settings), Join(bad) + L": settings written");
  }
  Check(Ended(Launch(L"/CLEAR")) && RegAll() == L"absent", L"/CLEAR deletes the settings and ends");
  // With no save directory stored, or a blank one, pictures go into a folder
  // of the program's own in the user's Pictures, made at start.
  wchar_t* known = nullptr;
  SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &known);
  baseDir = out = known + wstring(L"\\Pixkeeper\\");
  CoTaskMemFree(known);
  for (const wchar_t* name : {L"BMP0000.BMP", L""}) RemoveDirectoryW((out + name).c_str()), DeleteFileW((out + name).c_str());
  HWND lookalike = NewWindow(L"Pixkeeper 2");  // only the exact title counts
  if (!Start()) return;
  DestroyWindow(lookalike);
  Check(GetFileAttributesW(out.c_str()) != INVALID_FILE_ATTRIBUTES, L"the folder in Pictures made at start: " + out);
  StopStored({}, L"the defaults stored");
  if (!Start({{L"BaseDir", L"   "}, {L"FTYPE", L"1"}}, L"BMP0000.BMP")) return;
  Stop();
  // Two copies started at once: one runs, the other is refused.
  HANDLE a = Launch(), b = Launch();
  Check(BoxOk(WaitTop(kNotice)), L"one of two copies shows the notice");
  Check(WaitFor([&] { return Ended(a, 0) || Ended(b, 0); }), L"neither copy ended after the notice");
  pk = Ended(a, 0) ? b : a;
  Check(WaitFor(Running), L"the other runs and heads the viewer chain");
  Stop();
}

// The main window, the file-name dialog and the About box as laid out
// (twips at 15 to a pixel), with screenshots in work\screenshots.
void GroupWindows() {
  // Centred at start, and minimised: restored, the list is placed as usual.
  if (!Start(Numbering(L"W", {{L"StartPos", L"1"}, {L"StartMode", L"1"}}), L"W0001.BMP")) return;
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()) && Rect(Main()).right - Rect(Main()).left > 300; });
  // The list at 120, 120, as large as the window less 180 x 600, a list box
  // of whole lines.
  Eq(Centred(Main()), L"1,-19", L"main window: centred at start");
  LaidOut(Main(), L"main", L"329x257\nListBox  3,3 323x225\nStatic  0,233 329x24\n");  // the list after a minimised start
  Check((Style(Main()) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == WS_MINIMIZEBOX && GetMenu(Main()),
        L"minimise box only, fixed border, a menu bar");
  if (HWND d = OpenFname()) {
    const auto shot = LaidOut(d, L"fname", L"401x289\n"
       L"Button 日付形式(FNAMEmmddhhmmss.BMP) 24,40 257x17\nButton 通番形式(FNAME9999.BMP) 24,64 209x17\n"
       L"Static 初期値 232,64 57x17\nEdit 1 296,64 41x21\nStatic 次回書込値 200,88 89x17\nEdit 2 296,88 41x21\n"
       L"Button Reset 344,88 41x17\nButton 終了時に現在値を保持する 160,112 217x17\n"
       L"Button ユーザ入力形式(保存時に入力ウインドウ表示) 24,136 361x17\nButton ファイル保存名形式 8,8 385x161\n"
       L"Edit W 16,200 369x22\nButton 日付および通番時のファイル先頭文字列 8,176 385x57\nButton 戻る 296,240 97x41\n");
    // Inside a frame, where no control lies, the dialog's own background.
    const RECT r = Rect(d), c = Client(d);
    auto at = [&](int x, int y) { return shot[(c.top - r.top + y) * (r.right - r.left) + c.left - r.left + x]; };
    Check(at(90, 120) == at(100, 262), L"a frame shows the dialog's background");
    PostMessageW(d, WM_CLOSE, 0, 0);
  }
  const wstring history =
      L"1.00-新規作成|1.01-環境設定ﾒﾆｭｰ追加|1.02-保存先ﾃﾞｨﾚｸﾄﾘ異常時の対応|     ｺﾏﾝﾄﾞﾗｲﾝ処理追加(ﾚｼﾞｽﾄﾘ異常対策)|"
      L"1.03-通番の初期値を指定出来る様にした|     前回の現在値を保持出来る様にした|1.04-保存ﾌｧｲﾙ名の一覧を表示する様にした|"
      L"     ｸﾘｯｸしたﾌｧｲﾙ名をさりげなくｸﾘｯﾌﾟﾎﾞｰﾄﾞに吐き出す様にした|     ﾌｧｲﾙ名をﾀﾞﾌﾞﾙｸﾘｯｸするとそのﾌｧｲﾙを表示する様にした|"
      L"     表示の際に関連付けられているｱﾌﾟﾘを使用する様に選択出来る様にした|     PG実行中にVBを起動するとｴﾗｰ終了していた問題の回避|"
      L"     PG実行中にExcelで切取/ｺﾋﾟｰすると画像として取りこんでしまう問題の回避|     保存ﾌｧｲﾙ名に時刻を指定した場合の同一時刻での上書き対策|";
  for (int round = 0; round < 2; ++round) {  // twice: the history is filled anew
    HWND d = OpenDialog('A' | kCtrl, L"バージョン情報", L"PixkeeperAbout");
    if (!d) return;
    HWND list = GetDlgItem(d, 4003), label = GetDlgItem(d, 4001);
    wstring entries;
    for (int i = 0; i < Send(list, LB_GETCOUNT); ++i) entries += ListEntry(i, list) + L"|";
    Eq(entries, history, L"the history");
    Check(Focus(d) == list, L"About: the list has the focus");
    Check((Style(label) & SS_TYPEMASK) == SS_CENTER && !(Style(label) & WS_BORDER) &&
          !(Style(label, GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)), L"the label centred, without a border");
    if (round == 0) LaidOut(d, L"about", L"273x313\nListBox  16,48 241x177\nButton OK 152,264 113x41\n"
                                         L"Static Pixkeeper Ver1.04 8,8 257x17\nButton 更新履歴 8,32 257x225\n");
    ExpectCapture(L"behind the About box", round + 1, Numbered(L"W", round + 2), Put("rgb24", 3 + round));
    if (round == 0) Click(GetDlgItem(d, 4004));
    else PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(WaitFor([&] { return !IsWindow(d); }), round == 0 ? L"OK closes it" : L"the close box closes it");
  }
  Stop();
}

// --- the save-directory dialog and the image viewer ---------------------------

// The directory list: each line's name, "*" after the open one.
wstring DirShown(HWND dir) {
  wstring shown;
  const LRESULT open = Send(dir, LB_GETCURSEL);
  for (int i = 0; i < Send(dir, LB_GETCOUNT); ++i) {
    const wstring line = ListEntry(i, dir);
    shown += line.substr(line.find(L' ', line.find_first_not_of(L' ')) + 1) + (i == open ? L"*|" : L"|");
  }
  return shown;
}
wstring OpenAt(const wstring& path) {  // "Z:\|a|b*|" for Z:\a\b\ open, without subdirectories
  wstring shown = path.substr(0, 3);
  for (size_t at = 3, end; at < path.size(); at = end + 1) {
    shown += L"|" + path.substr(at, (end = path.find(L'\\', at)) - at);
  }
  return shown + L"*|";
}
HWND OpenDir() { return OpenDialog('D' | kCtrl, L"保存ディレクトリ選択", L"PixkeeperDirConfig"); }
void GroupDir() {
  const wstring top = out, sub = out + L"sub\\";
  CreateDirectoryW(sub.c_str(), nullptr);
  for (const wchar_t* name : {L"beta", L"Alpha", L"サブ", L".hidden"}) CreateDirectoryW((sub + name).c_str(), nullptr);
  wstring lower = sub;
  CharLowerW(lower.data());
  Check(DefineDosDeviceW(0, L"Y:", (work + L"nowhere").c_str()), L"cannot make drive Y:");  // a drive not ready
  HWND d = nullptr;
  if (!Start(Numbering(L"D", {{L"BaseDir", lower}})) || !(d = OpenDir())) return;
  HWND drive = GetDlgItem(d, 3001), dir = GetDlgItem(d, 3002);
  Check(Focus(d) == drive, L"the drive list has the focus");
  Eq(Text(drive).substr(0, 2) + L" " + DirShown(dir), L"Z: " + OpenAt(lower) + L"Alpha|beta|サブ|",
     L"the drive, the hierarchy, the subdirectories sorted, no hidden one");
  LaidOut(d, L"dirconfig", L"321x249\nComboBox Z: 8,8 305x25\nListBox  8,40 305x150\nButton 戻る 216,200 97x41\n");
  out = sub, baseDir = lower;
  ExpectCapture(L"behind the dialog, into the directory in force", 0, L"D0001.BMP", Put("rgb24"));
  ListClick(static_cast<int>(Send(dir, LB_GETCOUNT)) - 2, false, dir);  // beta, highlighted only
  Click(GetDlgItem(d, 3003));
  Check(WaitFor([&] { return !IsWindow(d); }), L"戻る closes the dialog");
  CharUpperW((baseDir = sub).data());
  ExpectCapture(L"into the open directory, upper case", 1, L"D0002.BMP", Put("rgb24", 3));

  if (!(d = OpenDir())) return;
  dir = GetDlgItem(d, 3002), drive = GetDlgItem(d, 3001);
  ListClick(static_cast<int>(Send(dir, LB_GETCOUNT)) - 2, true, dir);
  Check(WaitFor([&] { return DirShown(dir) == OpenAt(baseDir + L"beta\\"); }), L"beta opened: " + DirShown(dir));
  // Another drive opens its current directory; a drive that is not ready is
  // refused and the drive list returns.
  const wstring before = DirShown(dir);
  auto pick = [&](const wchar_t* letter) {
    Send(drive, CB_SETCURSEL, Send(drive, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(letter)));
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(3001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drive));
  };
  pick(L"Y:");
  Says(kMain, L"ドライブ Y: の準備ができていません。 error", L"a drive that is not ready");
  Eq(Text(drive).substr(0, 2) + L" " + DirShown(dir), L"Z: " + before, L"the drive list returns, nothing else changes");
  pick(L"C:");
  Check(WaitFor([&] { return DirShown(dir).rfind(L"C:\\*|", 0) == 0; }), L"C: its own directory: " + DirShown(dir));
  PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
  Check(WaitFor([&] { return !IsWindow(d); }), L"the close box closes the dialog");
  out = baseDir = L"C:\\";
  ExpectCapture(L"into the directory open at the close box", 2, L"D0003.BMP", Put("rgb24", 4));
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Y:", nullptr);
  Stop();
  Check(RegAll().find(L"BaseDir=C:\\ ") != wstring::npos, L"the drive's directory stored: " + RegAll());

  // A stored directory that has gone: said once, then the root of its drive
  // is shown and stored.
  const wstring gone = top + L"gone\\";
  RegSet(L"BaseDir", gone);
  if (!Start()) return;
  Keys(Main(), {'D' | kCtrl});
  Says(kMain, L"前回指定されたディレクトリが存在しないのでルートディレクトリを表示します。\r\n"
       L"前回指定ディレクトリ[" + gone + L"] error", L"the message for a directory that has gone");
  Check(!WaitFor([] { return Top(kMain, kBox) != nullptr; }, 500), L"said once");
  d = WaitTop(L"保存ディレクトリ選択", L"PixkeeperDirConfig");
  Check(d && DirShown(GetDlgItem(d, 3002)).rfind(L"Z:\\*|", 0) == 0, L"the root shown");
  Click(GetDlgItem(d, 3003));
  Stop();
  Check(RegAll().find(L"BaseDir=Z:\\ ") != wstring::npos, L"the root stored");
}

// A double-click on a listed picture shows it at its size, pixel for pixel,
// centred without clamping; with the mark set the associated application
// opens it. A click puts its path on the clipboard as text, also while
// another program holds the clipboard a moment; a file that has gone or is
// no picture is said.
void GroupList() {
  if (!Start(Numbering(L"I"))) return;
  const Picture first = Put("rgb555", 200, Form::kDib, 120);
  ExpectCapture(L"16 bits", 0, L"I0001.BMP", first);
  // The outer size is the picture's + 200 x 480 twips, centred on 1280 x 1024.
  const wchar_t* places[] = {L"533,436 213x152", L"-67,-54 1413x1132"};
  for (int i = 0; i < 2; ++i) {
    ListClick(i, true);
    HWND v = WaitTop(L"画像表示", kViewer);
    if (!Check(v != nullptr, L"a double-click opens the viewer")) return;
    Eq(Place(Rect(v)), places[i], L"the viewer's place for the entry selected");
    if (i == 0) {
      const RECT c = Client(v), at{c.left + 3, c.top + 3, c.left + 203, c.top + 123};  // 50 twips in
      Check(WaitFor([&] { return Rgb(Grab(at)) == first.rgb; }, 2000), L"the picture pixel for pixel");
      ExpectCapture(L"larger than the screen, behind it", 1, L"I0002.BMP", Put("rgb24", 1400, Form::kDib, 1100));
    }
    Keys(v, {VK_RETURN, VK_SPACE, 'A'});
    Pause(300);
    Check(IsWindowVisible(v), L"Enter, Space and letters leave the viewer open");
    Keys(v, {VK_ESCAPE});
    Check(WaitFor([&] { return !IsWindow(v); }), L"Esc closes the viewer");
  }

  auto clipIs = [](const wstring& text) { return WaitFor([&] { return ClipText() == text; }, 3000); };
  OpenClipboard(owner);
  ListClick(0);
  Pause(300);
  CloseClipboard();
  Check(clipIs(baseDir + L"I0001.BMP"), L"a click puts the path on the clipboard");
  PostMessageW(List(), WM_KEYDOWN, VK_DOWN, 1);
  Check(clipIs(baseDir + L"I0002.BMP"), L"the entry chosen by Down is on the clipboard");
  Check(Heard(viewer, [] { PostMessageW(List(), WM_KEYDOWN, VK_UP, 1); }), L"Up: not passed on");
  Check(clipIs(baseDir + L"I0001.BMP"), L"the entry chosen by Up is on the clipboard");
  Eq(Files(out) + to_wstring(ListCount()), L"I0001.BMP I0002.BMP 2", L"no file and no entry for the text");

  DeleteFileW((out + L"I0002.BMP").c_str());
  ListClick(1, true);
  Says(kMain, L"対象画像が存在しません。削除された可能性があります。\r\n対象画像名 [" + baseDir + L"I0002.BMP] error",
       L"message for a missing file",
       [] { ExpectCapture(L"a picture copied while the message is up", 2, L"I0003.BMP", Put("rgb24", 3)); });
  Eq(ListEntry(1), baseDir + L"I0002.BMP", L"the entry stays");
  WriteAll(out + L"I0001.BMP");
  ListClick(0, true);
  Says(kMain, L"画像を表示できません。\r\n対象画像名 [" + baseDir + L"I0001.BMP] error", L"a file that is no picture");
  Check(!Top(L"画像表示", kViewer) && ListCount() == 3, L"no viewer, the list unchanged");
  Stop();

  // The application associated with .bmp records what it was given.
  wchar_t self[MAX_PATH], program[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetFullPathNameW((wstring(self) + L"\\..\\..\\..").c_str(), MAX_PATH, program, nullptr);
  const wstring command = L"\"" + wstring(self) + L"\" opened \"%1\"";
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.bmp", nullptr, REG_SZ, L"pke2e", 12);
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\pke2e\\shell\\open\\command", nullptr, REG_SZ,
                  command.c_str(), static_cast<DWORD>((command.size() + 1) * 2));
  RegSet(L"ViewMode", L"1");
  if (!Start(L"I0001.BMP")) return;  // with the mark set
  ListClick(0, true);
  Check(WaitFor([] { return !ReadAll(work + L"opened").empty(); }), L"the associated application did not start");
  const Bytes opened = ReadAll(work + L"opened");
  Eq(wstring(reinterpret_cast<const wchar_t*>(opened.data()), opened.size() / 2), baseDir + L"I0001.BMP|" + program,
     L"the file opened, from the program's directory");
  Check(!Top(L"画像表示", kViewer), L"no viewer with the mark set");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\pke2e");
  Stop();
}

// With the PNG mark stored every picture kind becomes a PNG file that an
// independent decoder reads as the picture put (the form each takes is
// unit-tested); the viewer shows PNG files; Ctrl+G clears the mark, and the
// program ends with its helper thread waiting.
void GroupPng() {
  if (!Start(Numbering(L"G", {{L"SaveFormat", L"1"}}))) return;
  std::vector<Picture> pictures;
  for (const std::string& kind : TestPictureNames()) pictures.push_back(MakeTestPicture(kind));
  pictures.push_back(MakeTestPicture("topdown32", 800, 700));  // coded in two halves at once
  pictures.push_back(AlphaDib(20));
  for (const Picture& p : pictures) {  // one at a time; the last, with alpha, as CF_DIBV5
    PutAs(&p == &pictures.back() ? CF_DIBV5 : CF_DIB, p.dib.data(), p.dib.size());
    Check(WaitFor([&] { return ListCount() == &p - pictures.data() + 1; }), L"an entry for each picture");
  }
  RunUnix(L"cd " + UnixPath(out) + L" && for f in *.PNG; do convert $f -depth 8 RGBA:$f.rgba; done; touch done");
  WaitFor([] { return GetFileAttributesW((out + L"done").c_str()) != INVALID_FILE_ATTRIBUTES; });
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& p = pictures[i];
    const wstring name = L"G" + to_wstring(10001 + i).substr(1) + L".PNG", what = wstring(p.name.begin(), p.name.end());
    Eq(ListEntry(static_cast<int>(i)), baseDir + name, what + L": the entry");
    Check(ReadAll(out + name + L".rgba") == WithAlpha(p, i + 1 < pictures.size()), what + L": the pixels decoded");
  }
  ListClick(0, true);
  HWND v = WaitTop(L"画像表示", kViewer);
  const RECT c = Client(v), at{c.left + 3, c.top + 3, c.left + 3 + pictures[0].width, c.top + 3 + pictures[0].height};
  Check(v && WaitFor([&] { return Rgb(Grab(at)) == pictures[0].rgb; }, 2000), L"the viewer shows a PNG file");
  PostMessageW(v, WM_CLOSE, 0, 0);
  WaitFor([&] { return !IsWindow(v); });  // the main window takes keys again
  Keys(Main(), {'G' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk) && RegAll().find(L"SaveFormat=0 ") != wstring::npos, L"Ctrl+G clears the mark: " + RegAll());
}

// Write faults on a small file system of its own, given to Wine as drive P:
// (mounting needs root here; elsewhere the group is skipped): a picture
// larger than the free space, then the save directory made read-only, then
// deleted, then a PNG file that fills the disk. Each leaves no file, no entry
// and no temporary file, an older file of the name whole and the picture on
// the clipboard; the program goes on and saves the next picture once the
// directory is usable again.
// With the clipboard kept, the picture there at start stays and is not
// saved; each new picture is saved once and left there, and a repeated
// notice of it saves nothing. Without the mark the clipboard is emptied
// again; Ctrl+K sets it, stored at exit.
void GroupKeep() {
  const Picture present = Put("rgb24", 6);
  if (!Start(Numbering(L"K", {{L"KeepClipboard", L"1"}}))) return;
  Check(WorkerIdle() && ListCount() == 0 && IsClipboardFormatAvailable(CF_DIB), L"at start: left there, not saved");
  ExpectCapture(L"kept", 0, L"K0001.BMP", Put("rgb24"), true);
  Send(Main(), WM_DRAWCLIPBOARD);
  Check(WorkerIdle() && ListCount() == 1 && Files(out) == L"K0001.BMP " && IsClipboardFormatAvailable(CF_DIB),
        L"kept: left on the clipboard, saved once");
  ExpectCapture(L"a new picture, kept", 1, L"K0002.BMP", Put("pal8"), true);
  Command(207);
  ExpectCapture(L"the mark cleared: emptied again", 2, L"K0003.BMP", Put("rgb24", 3));
  Keys(Main(), {'K' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Eq(RegAll(), Stored(Numbering(L"K", {{L"KeepClipboard", L"1"}, {L"PresendValue", L"4"}})), L"Ctrl+K: stored");
}

// Folders by day and by the program that put the picture, alone and
// together, pictures from the Linux desktop in "Linux"; the same picture
// saved once; with PNG files, a PNG offered beside a DIB written as it came.
// Ctrl+Y, Ctrl+B and Ctrl+U toggle the marks, stored at exit.
void GroupFolders() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t day[16];
  swprintf(day, 16, L"%04d-%02d-%02d\\", now.wYear, now.wMonth, now.wDay);
  if (!Start(Numbering(L"F", {{L"DayFolders", L"1"}}))) return;
  ExpectCapture(L"by day", 0, day + wstring(L"F0001.BMP"), Put("rgb24"));
  Command(209);
  ExpectCapture(L"by program and day", 1, L"e2e_driver\\" + wstring(day) + L"F0002.BMP", Put("rgb24", 3));
  Command(208);
  ExpectCapture(L"by program", 2, L"e2e_driver\\F0003.BMP", Put("pal8"));
  const Picture linux = MakeTestPicture("rgb24", 5);
  WriteAll(work + L"offered", BmpFile(linux.dib));
  RunUnix(L"timeout 30 xclip -selection clipboard -t image/bmp -i " + UnixPath(work + L"offered"));
  ExpectCapture(L"from the Linux desktop", 3, L"Linux\\F0004.BMP", PixelsOf(linux));
  Eq(Depth(ReadAll(out + L"Linux\\F0004.BMP")), L"24", L"from the Linux desktop: 24 bits again");
  Command(209), Command(210);
  const Picture same = Put("rgb24", 7);
  ExpectCapture(L"the same picture: the first", 4, L"F0005.BMP", same);
  PutAs(CF_DIB, same.dib.data(), same.dib.size());
  Check(ClipEmpty(3000) && WorkerIdle() && ListCount() == 5 && Status() == L"前と同じ画像のため、保存しませんでした。",
        L"the same picture again: emptied, not saved, said: " + Status());
  Command(206);
  const Bytes png = Png(same, false);
  const UINT pngFormat = RegisterClipboardFormatW(L"PNG");
  const Picture beside = MakeTestPicture("pal8", 9);
  PutAs(CF_DIB, beside.dib.data(), beside.dib.size(), pngFormat, png);
  Check(WaitFor([] { return ListCount() == 6; }) && ReadAll(out + L"F0006.PNG") == png,
        L"an offered PNG beside a DIB: written byte for byte");
  Keys(Main(), {'Y' | kCtrl, 'B' | kCtrl, 'U' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Eq(RegAll(), Stored(Numbering(L"F", {{L"DayFolders", L"1"}, {L"ProgramFolders", L"1"}, {L"SaveFormat", L"1"},
                                        {L"PresendValue", L"7"}})), L"Ctrl+Y, Ctrl+B and Ctrl+U: the marks stored");
}

// --- high DPI ------------------------------------------------------------------

struct Control { wstring cls, text; RECT place; LONG style; };
// The client area (first, without a class) and each control in it.
std::vector<Control> Layout(HWND window) {
  RECT c = Client(window);
  std::vector<Control> all{{L"", L"", {0, 0, c.right - c.left, c.bottom - c.top}, 0}};
  for (HWND w = GetWindow(window, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    all.push_back({ClassOf(w), Text(w), Rect(w, window), Style(w)});
  }
  return all;
}
// The room a control's text takes in the program's font at this DPI, with
// the box of a check box or option and the indent of a frame's caption.
SIZE TextRoom(const Control& c, int dpi) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(12, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, c.text.c_str(), static_cast<int>(c.text.size()), &size);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  const LONG type = c.style & BS_TYPEMASK;
  const bool box = c.cls == L"Button" && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON ||
                                          type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
  const bool frame = c.cls == L"Button" && type == BS_GROUPBOX;
  size.cx += MulDiv(box ? 16 : frame ? 8 : 0, dpi, 96);
  return size;
}
void SetDpi(int dpi) {
  const DWORD value = static_cast<DWORD>(dpi);
  Check(RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &value, sizeof value) ==
            ERROR_SUCCESS, L"cannot set the screen's DPI");
}

// At 144 and 192 DPI every window lays out as at 96, scaled, and no text is
// cut. Programs started after the change see the new DPI.
void GroupDpi() {
  std::map<wstring, std::vector<Control>> at96;
  for (int dpi : {96, 144, 192}) {
    SetDpi(dpi);
    if (!Start(Numbering(L"H"))) break;
    const wstring at = L" at " + to_wstring(dpi) + L" DPI";
    for (auto [name, key, title, cls] : {std::tuple<const wchar_t*, WORD, const wchar_t*, const wchar_t*>{
             L"main", 0, nullptr, nullptr}, {L"fname", 'F' | kCtrl, L"保存ファイル名選択", L"PixkeeperFname"},
             {L"dir", 'D' | kCtrl, L"保存ディレクトリ選択", L"PixkeeperDirConfig"},
             {L"about", 'A' | kCtrl, L"バージョン情報", L"PixkeeperAbout"}}) {
      HWND window = Main();
      if (key != 0) Keys(Main(), {key}), window = WaitTop(title, cls);
      if (!Check(window != nullptr, name + at + L": did not open")) continue;
      const std::vector<Control> laid = Layout(window);
      if (dpi == 96) at96[name] = laid;
      const std::vector<Control>& base = at96[name];
      Check(laid.size() == base.size(), name + at + L": the controls");
      for (std::size_t i = 0; i < std::min(laid.size(), base.size()); ++i) {
        const RECT& r = laid[i].place;
        const RECT& b = base[i].place;
        const wstring what = name + at + L": " + (i ? laid[i].cls + L" " + laid[i].text.c_str() : L"the client area");
        auto scaled = [&](LONG got, LONG want96, int slack = 2) { return std::abs(got - MulDiv(want96, dpi, 96)) <= slack; };
        // A list box holds whole lines (the main window's is sized from its
        // frame, which the system does not scale), and a drop-down list is as
        // high as its font needs.
        const int lines = laid[i].cls == L"ListBox" || laid[i].cls == L"ComboBox" ? MulDiv(16, dpi, 96) : 2;
        const int frame = laid[i].cls == L"ListBox" ? lines : 2;
        Check(scaled(r.left, b.left) && scaled(r.top, b.top) && scaled(r.right, b.right, frame) && scaled(r.bottom, b.bottom, lines),
              what + L" at " + Place(r) + L", not " + Place(b) + L" scaled");
        const SIZE room = TextRoom(laid[i], dpi);
        const bool texted = (laid[i].cls == L"Button" || laid[i].cls == L"Static") && !laid[i].text.empty();
        Check(!texted || (room.cx <= r.right - r.left && room.cy <= r.bottom - r.top),
              what + L": its text needs " + to_wstring(room.cx) + L"x" + to_wstring(room.cy) + L", has " + Size(r));
      }
      Screenshot(window, name + to_wstring(dpi));
      if (key != 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        Check(WaitFor([&] { return !IsWindow(window); }), name + at + L": did not close");
      }
    }
    Stop();
  }
  SetDpi(96);
}

// --- an owner that does not answer -------------------------------------------------

// A clipboard owner on a thread of its own: it puts a picture, or only
// promises it, then takes no message for `silentMs` (as a program held in a
// debugger), then answers as usual, rendering the promised picture. `asked`
// tells that a message was sent to it while it was silent: someone waits.
struct SlowOwner {
  SlowOwner(const Picture& p, bool promise, int silent) : picture(p), promised(promise), silentMs(silent) {
    thread = std::thread([this] { Run(); });
    WaitFor([this] { return ready.load(); });
  }
  ~SlowOwner() { done = true, thread.join(); }
  void Render() {
    PutData(CF_DIB, picture.dib.data(), picture.dib.size());
    ++rendered;
  }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SlowOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_RENDERFORMAT) return self->Render(), 0;
    if (self && message == WM_DESTROYCLIPBOARD) return ++self->destroyed, 0;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  void Run() {
    HWND window = CreateWindowExW(0, L"E2eOwner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    while (!OpenClipboard(window)) Sleep(5);
    EmptyClipboard();
    promised ? void(SetClipboardData(CF_DIB, nullptr)) : Render();
    CloseClipboard();
    ready = true;
    for (const ULONGLONG end = GetTickCount64() + silentMs; GetTickCount64() < end; Sleep(5)) {
      if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) asked = true;
    }
    for (MSG message; !done;) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    DestroyWindow(window);
  }
  Picture picture;
  bool promised;
  int silentMs;
  std::atomic<bool> ready{false}, done{false}, asked{false};
  std::atomic<int> rendered{0}, destroyed{0};
  std::thread thread;
};

// How long Pixkeeper's main window takes to handle a minimise posted to it,
// and then a restore: the longer, in milliseconds. A window whose thread
// waits in SendMessage still answers sent messages, so posted ones it is.
int AnswerMs() {
  auto timed = [](WPARAM command, bool iconic) {
    const ULONGLONG start = GetTickCount64();
    PostMessageW(Main(), WM_SYSCOMMAND, command, 0);
    if (!WaitFor([&] { return (IsIconic(Main()) != FALSE) == iconic; }, 3000)) return 9999;
    return static_cast<int>(GetTickCount64() - start);
  };
  return std::max(timed(SC_MINIMIZE, true), timed(SC_RESTORE, false));
}
void Answers(const wstring& what) {
  const int ms = AnswerMs();
  Check(ms < 250, what + L": the main window took " + to_wstring(ms) + L" ms to answer");
}
bool Waiting(const SlowOwner& owner) { return WaitFor([&] { return owner.asked.load(); }, 3000); }

// The window never waits on the program that filled the clipboard: not for
// a picture it only promised, not for emptying. One that does not answer in
// 10 s is given up and said; ending the program does not wait for it.
void GroupOwner() {
  const wstring silent = L"画像を置いたプログラムが応答しないため、保存しませんでした。";
  const Map settings = Numbering(L"W");
  if (!Start(settings)) return;
  {
    // Wine asks the owner even to tell the formats; Windows only to empty.
    SlowOwner owner(MakeTestPicture("rgb24", 64, 32), false, 4000);
    Check(Waiting(owner), L"put, owner silent: waited for");
    Answers(L"put, owner silent");
    Check(ClipEmpty(8000) && owner.destroyed == 1, L"put, owner silent: emptied once it answers");
    ExpectCapture(L"put, owner silent", 0, L"W0001.BMP", owner.picture);
  }
  {
    SlowOwner owner(MakeTestPicture("pal8", 300, 200), true, 4000);
    Check(Waiting(owner), L"promised, owner silent: read");
    Answers(L"promised, owner silent, reading");
    Check(ListCount() == 1, L"promised, owner silent: nothing listed while it waits");
    ExpectCapture(L"promised, owner silent", 1, L"W0002.BMP", owner.picture);
  }
  {
    SlowOwner owner(MakeTestPicture("rgb32", 40, 30), true, 12000);
    const ULONGLONG start = GetTickCount64();
    Check(WaitFor([&] { return Status() == silent; }, 11000) && GetTickCount64() - start > 9000,
          L"never answers: said after 10 s, not before");
    Answers(L"never answers, given up");
    Check(WaitFor([&] { return owner.rendered == 1; }, 4000) && WorkerIdle(), L"never answers: rendered late");
    Check(ListCount() == 2 && Status() == silent && IsClipboardFormatAvailable(CF_DIB),
          L"never answers: the late picture not saved, the clipboard left");
  }
  ExpectCapture(L"the next change", 2, L"W0003.BMP", Put("rgb24", 5));
  Eq(Status(), L"", L"the next save clears the status line");

  // Ending while a wait is under way: at once, the settings stored, the
  // chain left to the viewers behind.
  for (bool promised : {true, false}) {
    SlowOwner owner(MakeTestPicture("rgb24", 20, 10), promised, 5000);
    Check(Waiting(owner), L"ending: a wait under way");
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    Check(Ended(pk, 2000), L"ending while waiting: within 2 s");
    Eq(RegAll(), Stored(With(settings, {{L"PresendValue", promised ? L"4" : L"2"}})), L"ending while waiting: stored");
    const int before = viewers[viewer].notices;
    Check(GetClipboardViewer() == viewer && PutClipboard([] { return PutText(L"after"); }) &&
              WaitFor([&] { return viewers[viewer].notices > before; }), L"ending while waiting: the chain left whole");
    if (promised && !Start(settings)) return;
  }
}

// --- control without the window ---------------------------------------------------

const UINT kTrayNotice = WM_APP + 0x52;  // Pixkeeper's notices from its icon
const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wstring kPaused = L"取り込みを一時停止しています。";
// The icons that Wine's own tray window shows (this display has no other).
std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  for (HWND c = tray ? GetWindow(tray, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsWindowVisible(c)) icons.push_back(c);
  }
  return icons;
}
std::vector<std::uint32_t> TrayPicture(std::vector<HWND> icons = TrayIcons()) {
  return icons.size() == 1 ? Grab(Rect(icons[0])) : std::vector<std::uint32_t>{};
}
bool NoTrayIcon() { return WaitFor([] { return TrayIcons().empty(); }); }
HWND PopupMenu() {  // Pixkeeper's open shortcut menu
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (IsWindowVisible(w) && process == GetProcessId(pk)) return w;
  }
  return nullptr;
}
// The notice the shell sends for a click on the icon, at a point on the screen.
void Notice(UINT what) { PostMessageW(Main(), kTrayNotice, MAKEWPARAM(600, 500), MAKELPARAM(what, 1)); }
// Pixkeeper's menu opened by `open`, and an item chosen by its key.
bool Choose(const std::function<void()>& open, WORD key, const wstring& what) {
  open();
  HWND menu = nullptr;
  if (!Check(WaitFor([&] { return (menu = PopupMenu()) != nullptr; }), what + L": the menu did not open")) return false;
  Keys(nullptr, {key});
  return Check(WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }), what + L": the menu stays open");
}
bool TrayChoose(WORD key, const wstring& what) { return Choose([] { Notice(WM_CONTEXTMENU); }, key, what); }
wstring RunValue() {
  wchar_t text[1024] = L"(none)";
  DWORD size = sizeof text;
  return RegGetValueW(HKEY_CURRENT_USER, kRun, L"Pixkeeper", RRF_RT_REG_SZ, nullptr, text, &size), text;
}
bool Opened(const wstring& folder) {  // by the file manager, e2e_folder_opener standing in
  Bytes bytes;
  Check(WaitFor([&] { return !(bytes = ReadAll(work + L"opened")).empty(); }), L"no file manager opened");
  Eq(wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2), folder, L"the folder opened");
  return DeleteFileW((work + L"opened").c_str());
}

// Ctrl+T and the icon's menu pause and resume: a picture put meanwhile stays
// on the clipboard unsaved, and resuming passes over what is there; numbers
// go on without a gap; a new start captures. The icon is there from the
// start, comes back when the taskbar is re-created and goes with the program
// however it ends; its menu shows the window, opens the save folder and ends
// the program. 保存先を開く says a folder that has gone. Windows の起動時に
// 開始する writes the quoted path to the Run key and removes it; the program
// started from there starts as stored.
void GroupTray() {
  const Map settings = Numbering(L"T");
  if (!Start(settings)) return;
  Check(WaitFor([] { return TrayIcons().size() == 1; }), L"the icon added at start");
  std::vector<std::uint32_t> running;
  Check(WaitFor([&] {  // drawn, and no longer changing
    const auto now = TrayPicture();
    return std::exchange(running, now) == now && std::set<std::uint32_t>(now.begin(), now.end()).size() > 3;
  }), L"the icon drawn in the tray");
  Keys(Main(), {'T' | kCtrl});
  Check(WaitFor([] { return Status() == kPaused; }), L"Ctrl+T: paused, the status line says so: " + Status());
  std::vector<std::uint32_t> paused;
  Check(WaitFor([&] { return (paused = TrayPicture()) != running && !paused.empty(); }), L"paused: the icon shows it");
  Check(Heard(viewer, [] { Put("rgb24"); }, CF_DIB) && Files(out).empty() && ListCount() == 0, L"paused: the picture left, no file, no entry");
  Keys(Main(), {'T' | kCtrl});
  Check(WaitFor([] { return Status().empty(); }) && WorkerIdle() && ListCount() == 0 && IsClipboardFormatAvailable(CF_DIB),
        L"Ctrl+T again: resumed, the picture present not saved");
  // Wine's tray draws the new icon over the old one, where it is
  // transparent: the start's picture does not quite come back.
  Check(WaitFor([&] { return TrayPicture() != paused && !TrayPicture().empty(); }), L"resumed: the icon changes back");
  ExpectCapture(L"resumed: the next picture, the first number", 0, L"T0001.BMP", Put("rgb24", 3));

  Check(TrayChoose('T', L"the icon's pause") && WaitFor([] { return Status() == kPaused; }) &&
        Heard(viewer, [] { Put("pal8"); }, CF_DIB) && ListCount() == 1, L"paused from the icon: not saved");
  Check(TrayChoose('T', L"the icon's resume") && WaitFor([] { return Status().empty(); }) && WorkerIdle() && ListCount() == 1,
        L"resumed from the icon");

  // The taskbar re-created: it knows no icon until the program adds it again.
  NOTIFYICONDATAW gone{};
  gone.cbSize = sizeof gone, gone.hWnd = Main(), gone.uID = 1;
  Check(Shell_NotifyIconW(NIM_DELETE, &gone) && NoTrayIcon(), L"the icon taken away");
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  Check(WaitFor([] { return TrayIcons().size() == 1; }), L"the icon added again on TaskbarCreated");

  // Shown from the icon: by its menu and by a double-click, restored.
  for (UINT how : {0u, UINT{WM_LBUTTONDBLCLK}}) {
    ShowWindowAsync(Main(), SW_MINIMIZE), WaitFor([] { return IsIconic(Main()) != FALSE; });
    how ? Notice(how) : void(TrayChoose('S', L"表示"));
    Check(WaitFor([] { return !IsIconic(Main()) && IsWindowVisible(Main()); }), how ? L"a double-click restores" : L"表示 restores");
  }

  // The save folder opened by the file manager: the driver stands in for
  // it, as the command of folders rather than the shell's own conversation.
  const wstring command = L"\"" + work + L"..\\..\\e2e_folder_opener.exe\" \"%1\"";
  const wchar_t kFolderOpen[] = L"Software\\Classes\\Folder\\shell\\open";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kFolderOpen + wstring(L"\\ddeexec")).c_str());
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kFolderOpen + wstring(L"\\command")).c_str(), nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * 2));
  for (bool icon : {false, true}) {
    icon ? void(TrayChoose('O', L"the icon's 保存先を開く")) : Keys(Main(), {'O' | kCtrl});
    Opened(out.substr(0, out.size() - 1));
  }
  MoveFileW(out.c_str(), (work + L"away").c_str()), Keys(Main(), {'O' | kCtrl});
  Check(WaitFor([] { return Status() == L"保存先のフォルダがありません: " + baseDir; }) && ReadAll(work + L"opened").empty(),
        L"a folder that has gone: said, nothing opened: " + Status());
  MoveFileW((work + L"away").c_str(), out.c_str()), CreateDirectoryW(out.c_str(), nullptr);

  // Start with Windows, chosen in the menu by its keys.
  wchar_t exe[MAX_PATH];
  const wstring self = L"\"" + wstring(exe, GetFullPathNameW((work + L"..\\..\\..\\..\\Pixkeeper.exe").c_str(), MAX_PATH, exe, nullptr)) + L"\"";
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Pixkeeper");
  auto chooseRun = [] { Choose([] { Keys(Main(), {VK_MENU, 'C'}); }, 'W', L"Alt, C, W: Windows の起動時に開始する"); };
  for (const wstring& want : {self, wstring(L"(none)")}) {  // written, then removed
    chooseRun(), Check(WaitFor([&] { return RunValue() == want; }), L"Windows の起動時に開始する: " + RunValue());
  }

  // Ending from the icon's menu takes the icon away; numbers stored.
  TrayChoose('Q', L"Pixkeeper終了");
  Check(Ended(pk) && NoTrayIcon(), L"the icon's 終了 ends the program, the icon removed");
  Eq(RegAll(), Stored(With(settings, {{L"PresendValue", L"2"}})), L"stored at the icon's 終了");

  // A new start captures (the pause is not stored); started as the Run key
  // says, from another folder, minimised as stored.
  if (!Start(With(settings, {{L"StartMode", L"1"}}))) return;
  ExpectCapture(L"a new start captures", 0, L"T0001.BMP", Put("rgb24", 7));
  ShowWindowAsync(Main(), SW_RESTORE), WaitFor([] { return !IsIconic(Main()); });
  chooseRun();
  Check(WaitFor([&] { return RunValue() == self; }), L"Windows の起動時に開始する, again: " + RunValue());
  Check(Stop() && NoTrayIcon(), L"the icon removed at WM_CLOSE");
  Check(Run(nullptr, RunValue(), &pk) && (launched.push_back(pk), WaitFor(Running, 30000)) && IsIconic(Main()),
        L"started from the Run key: running, minimised");
  Check(WaitFor([] { return TrayIcons().size() == 1; }), L"started from the Run key: the icon");
  Check(EndSession(true) && NoTrayIcon(), L"the session ends, the icon removed");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Pixkeeper"), RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kFolderOpen + wstring(L"\\command")).c_str());
}

void GroupFaults() {
  const wstring fs = UnixPath(work + L"fs"), rc = work + L"rc";
  auto sh = [&](const wstring& script) {  // waited for: whether it succeeded
    DeleteFileW(rc.c_str());
    RunUnix(script + L"; echo $? > " + UnixPath(rc));
    WaitFor([&] { return ReadAll(rc).size() > 1; }, 10000);
    return ReadAll(rc) == Bytes{'0', '\n'};
  };
  const wstring drive = L"$WINEPREFIX/dosdevices/p:";
  if (!sh(L"mkdir -p " + fs + L" && umount -l " + fs + L" 2>/dev/null; mount -t tmpfs -o size=256k tmpfs " + fs +
          L" && mkdir " + fs + L"/out && ln -sfn " + fs + L" " + drive)) {
    Say(L"SKIPPED: faults: a small file system cannot be mounted here (mount needs root)");
    return;
  }
  out = baseDir = L"P:\\out\\";
  const Bytes older{'o', 'l', 'd', 'e', 'r'};
  WriteAll(out + L"F0001.BMP", older);
  if (Start(Numbering(L"F"))) {
    // Each refusal is said in the status line with the path and the
    // system's reason; the next save clears it.
    auto refused = [&](const wstring& what, const wstring& files, int entries) {
      Check(Heard(viewer, [] { Put("rgb32", 400, Form::kDib, 300); }, CF_DIB), what + L": not passed on, left");
      Eq(Files(out) + to_wstring(ListCount()), files + to_wstring(entries), what + L": the files and entries");
      const wstring said = L"保存できませんでした: " + out + Numbered(L"F", 2 * entries + 1) + L" (";
      Check(Status().rfind(said, 0) == 0 && Status().size() > said.size() + 2 && Status().back() == L')',
            what + L": the status line says '" + said + L"...)', not '" + Status() + L"'");
    };
    refused(L"full disk", L"F0001.BMP ", 0);
    Check(ReadAll(out + L"F0001.BMP") == older, L"full disk: the older file of the name kept whole");
    ExpectCapture(L"a picture that fits", 0, L"F0002.BMP", Put("rgb24"));
    Eq(Status(), L"", L"a picture that fits: the status line cleared");
    Check(sh(L"mount -o remount,ro " + fs), L"cannot make the file system read-only");
    refused(L"read-only", L"F0001.BMP F0002.BMP ", 1);
    Check(sh(L"mount -o remount,rw " + fs), L"cannot make the file system writable");
    ExpectCapture(L"writable again", 1, L"F0004.BMP", Put("rgb24", 3));
    Check(sh(L"rm -r " + fs + L"/out"), L"cannot delete the save directory");
    refused(L"deleted", L"", 2);
    Check(GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES, L"deleted: no save directory made");
    CreateDirectoryW(out.c_str(), nullptr);
    ExpectCapture(L"made again", 2, L"F0006.BMP", Put("rgb24", 5));
    // A PNG file is written as it is coded: the disk filling up halfway,
    // while the lower half of a large picture is being coded, ends the same.
    Keys(Main(), {'G' | kCtrl});
    Check(sh(L"cat /dev/zero > " + fs + L"/fill; truncate -s -8k " + fs + L"/fill"), L"cannot fill the file system");
    Check(Heard(viewer, [] { Put("topdown32", 800, Form::kDib, 700); }, CF_DIB), L"full disk, PNG: not passed on, left");
    Eq(Files(out) + to_wstring(ListCount()), L"F0006.BMP 3", L"full disk, PNG: the files and entries");
    Check(sh(L"rm " + fs + L"/fill"), L"cannot empty the file system");
    Put("rgb24", 7);
    Check(WaitFor([] { return ListCount() == 4; }) && ListEntry(3) == baseDir + L"F0008.PNG" &&
              ReadAll(out + L"F0008.PNG").size() > 100, L"the next PNG saved");
    Stop();
  }
  Check(sh(L"rm " + drive + L" && umount " + fs), L"cannot remove drive P: and unmount " + fs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::map<wstring, void (*)()> groups = {{L"capture", GroupCapture}, {L"naming", GroupNaming},
      {L"list", GroupList}, {L"close", GroupClose}, {L"single", GroupSingle}, {L"windows", GroupWindows},
      {L"dir", GroupDir}, {L"png", GroupPng}, {L"faults", GroupFaults}, {L"owner", GroupOwner}, {L"keep", GroupKeep}, {L"dpi", GroupDpi}, {L"folders", GroupFolders},
      {L"tray", GroupTray}};
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  work = wstring(self).substr(0, wstring(self).rfind(L'\\')) + L"\\work\\";
  if (argc == 3 && wstring(argv[1]) == L"opened") {  // as the application associated with .bmp
    wchar_t directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    const wstring record = wstring(argv[2]) + L"|" + directory;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record.data());
    WriteAll(work + L"list\\opened", Bytes(bytes, bytes + record.size() * 2));
    return 0;
  }
  if (argc != 2 || groups.count(argv[1]) == 0) {
    Say(L"usage: e2e_driver capture|naming|list|close|single|windows|dir|png|faults|owner|keep|dpi|folders|tray");
    return 2;
  }
  work += wstring(argv[1]) + L"\\";
  // The last run's folder is moved aside at once, then removed in the
  // background, so that nothing removes the new one.
  const wstring old = work.substr(0, work.size() - 1) + L".old" + to_wstring(GetTickCount());
  if (MoveFileW(work.c_str(), old.c_str())) RunUnix(L"rm -rf " + UnixPath(old));
  baseDir = out = work + L"out\\";
  for (const wstring& directory : {work + L"..", work, out}) CreateDirectoryW(directory.c_str(), nullptr);
  // No window manager on the test display: Wine would wait for one to
  // withdraw each hidden window. Pixkeeper's windows stay unmanaged.
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Pixkeeper.exe\\X11 Driver", L"Managed",
                  REG_SZ, L"N", 4);
  const WNDCLASSW windowClass{0, ViewerProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"E2eWindow"};
  RegisterClassW(&windowClass);
  const WNDCLASSW ownerClass{0, SlowOwner::Proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"E2eOwner"};
  RegisterClassW(&ownerClass);
  owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  viewer = JoinViewer();
  SetDpi(96);  // whatever a run cut short left

  groups.at(argv[1])();

  // What still runs is asked to close, then ended.
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  for (HANDLE process : launched) if (!Ended(process, 3000)) TerminateProcess(process, 1);
  RunUnix(L"kill $(cat " + UnixPath(work + L"xkbevd.pid") + L" 2>/dev/null) 2>/dev/null");
  while (!viewers.empty()) LeaveViewer(viewers.begin()->first);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  Say(wstring(argv[1]) + L": " + to_wstring(checks) + L" checks, " + to_wstring(failures) + L" failed");
  return failures == 0 ? 0 : 1;
}
