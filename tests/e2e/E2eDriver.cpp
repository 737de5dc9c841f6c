// Plays the end-to-end scenarios against the real Pixkeeper.exe from inside
// Wine, the way a user and other programs meet it: windows by title and
// class, the list box, the clipboard, the stored settings, the files it
// writes and its beeps. Usage: e2e_driver GROUP (the groups are at the end).
// Every check reports its failure and goes on; every wait ends as soon as
// its condition holds.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/TestPictures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Picture = pixkeeper::testing::TestPicture;
using Values = std::initializer_list<std::pair<std::wstring, std::wstring>>;
using std::to_wstring;
using std::wstring;

const wchar_t kMain[] = L"Pixkeeper", kMainClass[] = L"PixkeeperForm1", kBox[] = L"#32770";
const wchar_t kNotice[] = L"Pixkeeperからのお知らせ", kFname[] = L"保存ファイル名選択";
const wchar_t kSaveDialog[] = L"画像ファイル選択", kConfig[] = L"Software\\PIXKEEPER\\CONFIG";
const WORD kCtrl = 0x100;  // with a key: Ctrl held

int checks = 0, failures = 0;
wstring work, out, baseDir;  // baseDir: `out` as stored, with its final "\"
HANDLE pk = nullptr;         // the copy that Start() started
HWND owner = nullptr;        // owns what the driver puts on the clipboard
std::vector<HANDLE> launched;
struct Viewer {
  HWND next = nullptr;
  int notices = 0;
};
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
void Eq(long long got, long long want, const wstring& what) { Eq(to_wstring(got), to_wstring(want), what); }

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
wstring Place(const RECT& r) {
  return to_wstring(r.left) + L"," + to_wstring(r.top) + L" " + to_wstring(r.right - r.left) + L"x" +
         to_wstring(r.bottom - r.top);
}
LONG Style(HWND window, int which = GWL_STYLE) { return static_cast<LONG>(GetWindowLongPtrW(window, which)); }

// Keys through the input queue of the foreground window, with the state of
// the modifiers, as the keyboard gives them: accelerators work.
void Keys(HWND window, std::initializer_list<WORD> keys) {
  SetForegroundWindow(window);
  WaitFor([&] { return GetForegroundWindow() == window; }, 2000);
  for (WORD vk : keys) {
    for (DWORD up : {0, KEYEVENTF_KEYUP}) {
      if (vk & kCtrl && !up) keybd_event(VK_CONTROL, 0, 0, 0);
      keybd_event(vk & 0xFF, 0, up, 0);
      if (vk & kCtrl && up) keybd_event(VK_CONTROL, 0, up, 0);
    }
  }
}
void Type(HWND edit, const wstring& text) {
  for (wchar_t c : text) Send(edit, WM_CHAR, c, 1);
}
void Click(HWND button) { Send(button, BM_CLICK); }

HWND List() { return GetDlgItem(Main(), 1001); }
int ListCount() { return static_cast<int>(Send(List(), LB_GETCOUNT)); }
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

wstring BoxText(HWND box) {
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) == L"Static" && !Text(c).empty()) return Text(c);
  }
  return L"";
}
bool BoxOk(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return box != nullptr && WaitFor([&] { return !IsWindow(box); });
}

// Pixels as 0xRRGGBB from the top row: of the screen, or of an icon drawn
// on a plain background.
std::vector<std::uint32_t> Grab(const RECT& r, HICON icon = nullptr, COLORREF background = 0) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w, info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1, info.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr), screen = GetDC(nullptr);
  std::uint32_t* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  if (icon != nullptr) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
  } else {
    BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  }
  GdiFlush();
  std::vector<std::uint32_t> pixels(bits, bits + w * h);
  for (auto& p : pixels) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}
// Which standard icon a box shows: the shown pixels against each icon drawn
// here, where it is opaque (the same on black and on white).
wstring BoxIcon(HWND box) {
  HWND icon = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) == L"Static" && (Style(c) & SS_TYPEMASK) == SS_ICON) icon = c;
  }
  const int size = GetSystemMetrics(SM_CXICON);
  RECT at = Rect(icon), area{0, 0, size, size};
  at.right = at.left + size, at.bottom = at.top + size;
  wstring name = L"none";
  WaitFor([&] {  // the box may not have painted yet
    const auto shown = Grab(at);
    for (auto known : {std::make_pair(IDI_INFORMATION, L"information"), std::make_pair(IDI_ERROR, L"error"),
                       std::make_pair(IDI_WARNING, L"warning"), std::make_pair(IDI_QUESTION, L"question")}) {
      HICON candidate = LoadIconW(nullptr, known.first);
      const auto onBlack = Grab(area, candidate, RGB(0, 0, 0)), onWhite = Grab(area, candidate, RGB(255, 255, 255));
      int opaque = 0, same = 0;
      for (int i = 0; i < size * size; ++i) {
        if (onBlack[i] == onWhite[i]) ++opaque, same += shown[i] == onBlack[i];
      }
      if (same * 10 >= opaque * 9) name = known.second;
    }
    return icon == nullptr || name != L"none";
  });
  return name;
}
// The screen under a window, saved to look at (in work\screenshots); a
// window with text drawn in it has many shades, an empty one a few.
std::vector<std::uint32_t> Screenshot(HWND window, const wstring& name) {
  const RECT r = Rect(window);
  const wstring shot = work + L"..\\screenshots\\" + name + L".png";
  CreateDirectoryW((work + L"..\\screenshots").c_str(), nullptr);
  DeleteFileW(shot.c_str());
  const wstring area = to_wstring(r.right - r.left) + L"x" + to_wstring(r.bottom - r.top) + L"+" +
                       to_wstring(r.left) + L"+" + to_wstring(r.top);
  RunUnix(L"import -window root -crop " + area + L" +repage " +
          UnixPath(shot + L".tmp.png") + L" && mv " + UnixPath(shot + L".tmp.png") + L" " + UnixPath(shot));
  WaitFor([&] { return GetFileAttributesW(shot.c_str()) != INVALID_FILE_ATTRIBUTES; });
  const auto pixels = Grab(r);
  Check(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size() > 8, name + L": the screenshot shows no text");
  return pixels;
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
// Started once the main window heads the viewer chain (the last step of the
// start) and is shown.
bool Start(const wstring& arguments = L"") {
  pk = Launch(arguments);
  return Check(WaitFor([] { return Main() && GetClipboardViewer() == Main() && IsWindowVisible(Main()); }, 30000),
               L"Pixkeeper did not start and join the viewer chain; it says: " + BoxText(Top(kMain, kBox)));
}
bool Stop() {
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  return Check(Ended(pk, 20000), L"Pixkeeper did not end after WM_CLOSE");
}

void RegSet(const wstring& name, const wstring& text, DWORD type = REG_SZ, DWORD size = 0) {
  Check(RegSetKeyValueW(HKEY_CURRENT_USER, kConfig, name.c_str(), type, text.c_str(),
                        size ? size : static_cast<DWORD>((text.size() + 1) * 2)) == ERROR_SUCCESS,
        L"cannot store " + name);
}
void Settings(Values values) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  for (const auto& value : values) RegSet(value.first, value.second);
}
using Map = std::map<wstring, wstring>;
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
wstring Stored(Values values) {  // RegAll() of the nine keys with these values
  Map nine = {{L"BaseDir", baseDir}, {L"FNAME", L"BMP"}, {L"FTYPE", L"0"},
      {L"PresendFlag", L"0"}, {L"PresendValue", L"0"}, {L"StartMode", L"0"}, {L"StartPos", L"1"},
      {L"StartValue", L"0"}, {L"ViewMode", L"0"}};
  for (const auto& value : values) nine[value.first] = value.second;
  return Join(nine);
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
bool PutText(const wstring& text) { return PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * 2); }
enum class Form { kDib, kDibAndText, kBitmap };
// A test picture as another program puts it on the clipboard; a bitmap is
// made from it on the screen's format, and its DIB is then unknown.
Picture Put(const std::string& kind, int width = 0, Form form = Form::kDib, int height = 0) {
  Picture picture = pixkeeper::testing::MakeTestPicture(kind, width, height);
  PutClipboard([&] {
    if (form != Form::kBitmap) {
      return PutData(CF_DIB, picture.dib.data(), picture.dib.size()) && (form == Form::kDib || PutText(L"セル A1"));
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
// A viewer behind Pixkeeper in the chain hears of a change once Pixkeeper
// is done with it.
bool Notified(HWND viewer, int before) { return WaitFor([&] { return viewers[viewer].notices > before; }, 3000); }
void PutIgnored(HWND viewer, const std::function<void()>& put, const wstring& what) {
  const int before = viewers[viewer].notices;
  put();
  Check(Notified(viewer, before), what + L": the viewer heard of no change");
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
// The names in a directory, in order, each followed by a blank; with `remove`
// the directory and all in it are deleted.
wstring Files(const wstring& directory, bool remove = false) {
  std::set<wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((directory + L"*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    const wstring path = directory + found.cFileName;
    if (found.cFileName[0] == L'.') continue;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    if (!remove) continue;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Files(path + L"\\", true);
    DeleteFileW(path.c_str());
  }
  FindClose(find);
  if (remove) RemoveDirectoryW(directory.c_str());
  wstring all;
  for (const auto& name : names) all += name + L" ";
  return all;
}

// The pixels of a BMP file of 24 or 32 bits as R,G,B from the top row, read
// by the driver's own reader; empty for what it cannot read.
Bytes DecodeBmp(const Bytes& f) {
  auto u32 = [&](std::size_t i) {
    return static_cast<std::uint32_t>(f[i] | f[i + 1] << 8 | f[i + 2] << 16 | f[i + 3] << 24);
  };
  if (f.size() < 66 || f[0] != 'B' || f[1] != 'M' || u32(2) != f.size() || u32(14) != 40) return {};
  if (u32(30) != 0 && (u32(30) != 3 || u32(54) != 0xFF0000 || u32(58) != 0xFF00 || u32(62) != 0xFF)) return {};
  const int w = static_cast<int>(u32(18)), h = static_cast<int>(u32(22));
  const int bits = f[28];
  const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4, pixels = u32(10);
  if (w <= 0 || h <= 0 || bits < 24 || pixels + stride * h > f.size()) return {};
  Bytes rgb;
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const std::size_t at = pixels + y * stride + static_cast<std::size_t>(x) * bits / 8;
      for (int c = 2; c >= 0; --c) rgb.push_back(f[at + c]);
    }
  }
  return rgb;
}

// Entry INDEX is the save directory joined with NAME, the file holds the
// picture, and the clipboard is emptied (unless another picture came
// meanwhile). A DIB is written as it came behind a file header that points
// at its pixels; a bitmap's pixels are decoded.
void ExpectCapture(const wstring& what, int index, const wstring& name, const Picture& picture, bool keep = false) {
  if (!Check(WaitFor([&] { return ListCount() > index; }), what + L": no list entry")) return;
  Eq(ListEntry(index), baseDir + name, what + L": list entry");
  if (!keep) Check(ClipEmpty(3000), what + L": clipboard not emptied");
  const Bytes file = ReadAll(out + name);
  if (picture.dib.empty()) {
    Check(DecodeBmp(file) == picture.rgb, what + L": the pixels of " + name + L" differ");
    return;
  }
  const Bytes& d = picture.dib;
  const unsigned header = d[0] | d[1] << 8, count = header == 12 ? d[10] : d[14];
  const unsigned used = header == 12 ? 0 : d[32] | d[33] << 8;
  const unsigned colours = used ? used : count <= 8 ? 1u << count : 0;
  const std::size_t offset = 14 + header + (header == 40 && d[16] == 3 ? 12 : 0) + colours * (header == 12 ? 3 : 4);
  Bytes expected{'B', 'M'};
  for (std::uint32_t v : {static_cast<std::uint32_t>(14 + d.size()), 0u, static_cast<std::uint32_t>(offset)}) {
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<std::uint8_t>(v >> 8 * i));
  }
  expected.insert(expected.end(), d.begin(), d.end());
  Check(file == expected, what + L": " + name + L" is not the DIB behind a file header");
}

int bellsAtStart = -1;
int Bells() {
  const Bytes bytes = ReadAll(work + L"bells");
  return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) - bellsAtStart;
}
// A beep reaches the X server as a bell; xkbevd writes a line for each, the
// first for the bell it rings itself as it starts.
void StartBellCounter() {
  const wstring config = UnixPath(work + L"xkbevd.cf");
  Check(RunUnix(L"echo 'Bell() shell \\\"echo bell >> " + UnixPath(work + L"bells") + L"\\\"' > " + config +
                L"; timeout 300 xkbevd -cfg " + config + L" </dev/null >/dev/null 2>&1 & echo $! > " +
                UnixPath(work + L"xkbevd.pid")), L"cannot start xkbevd");
  bellsAtStart = 0;
  Check(WaitFor([] { return Bells() > 0; }), L"xkbevd counts no bells");
  bellsAtStart = Bells();
}
void ExpectBells(int count, const wstring& what) {
  WaitFor([&] { return Bells() >= count; }, 3000);
  WaitFor([] { return false; }, 300);  // for one too many
  Eq(Bells(), count, what);
}

wstring Numbered(const wchar_t* prefix, int n) {
  wchar_t name[64];
  std::swprintf(name, 64, L"%ls%04d.BMP", prefix, n);
  return name;
}

// --- the scenario groups ----------------------------------------------------------

// Pictures of every kind become BMP files listed by their paths, with a beep
// each; what is no picture to keep leaves no file, entry or beep.
void GroupCapture() {
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"CAP"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  Put("rgb24");
  HWND viewer = JoinViewer();
  StartBellCounter();
  if (!Start()) return;
  Check(ClipEmpty(0) && ListCount() == 0 && Files(out).empty(), L"a picture present at start is discarded");
  int n = 0;
  for (const std::string& kind : pixkeeper::testing::TestPictureNames()) {
    ExpectCapture(wstring(kind.begin(), kind.end()), n, Numbered(L"CAP", n + 1), Put(kind)), ++n;
  }
  ExpectCapture(L"full screen", n, Numbered(L"CAP", n + 1), Put("rgb32", 1920, Form::kDib, 1080)), ++n;
  ExpectCapture(L"bitmap", n, Numbered(L"CAP", n + 1), Put("rgb24", 40, Form::kBitmap)), ++n;

  PutIgnored(viewer, [] { Put("rgb24", 0, Form::kDibAndText); }, L"text + picture");
  Eq(ClipText(), L"セル A1", L"text with a picture is kept");
  Check(IsClipboardFormatAvailable(CF_DIB), L"the picture with text is kept");
  const BYTE png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto put = [](UINT format, const void* data, std::size_t size) {
    PutClipboard([&] { return PutData(format, data, size); });
  };
  PutIgnored(viewer, [&] { put(RegisterClipboardFormatW(L"PNG"), png, 8); }, L"PNG only");
  Bytes bad(56, 0x5A);
  bad[0] = 40, bad[5] = bad[9] = 3, bad[12] = 1, bad[14] = 24;  // 768 x 768 promised, nothing follows
  for (BYTE header : {40, 7}) {
    bad[0] = header;
    PutIgnored(viewer, [&] { put(CF_DIB, bad.data(), bad.size()); }, L"malformed DIB");
    Check(IsClipboardFormatAvailable(CF_DIB), L"a malformed DIB is left on the clipboard");
  }

  // A save directory that has gone, then a read-only file of the next name.
  MoveFileW(out.c_str(), (work + L"away").c_str());
  PutIgnored(viewer, [] { Put("rgb24"); }, L"missing directory");
  Check(IsClipboardFormatAvailable(CF_DIB), L"the picture stays after a failed write");
  Check(GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES && MoveFileW((work + L"away").c_str(), out.c_str()),
        L"no save directory made");
  const wstring locked = out + Numbered(L"CAP", n + 2);
  FILE* older = _wfopen(locked.c_str(), L"wb");
  std::fputs("older", older);
  std::fclose(older);
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  PutIgnored(viewer, [] { Put("rgb24", 3); }, L"read-only file");
  Check(ReadAll(locked) == Bytes{'o', 'l', 'd', 'e', 'r'}, L"a read-only older file is kept whole");
  Check(IsClipboardFormatAvailable(CF_DIB), L"the picture stays after a refused write");
  wstring files;
  for (int i = 1; i <= n + 2; ++i) files += i == n + 1 ? L"" : Numbered(L"CAP", i) + L" ";
  Eq(Files(out), files, L"the files: none made for the failures, nothing left over");
  ExpectCapture(L"after the failed writes, the next number", n, Numbered(L"CAP", n + 3), Put("rgb24", 5));
  ExpectBells(n + 1, L"a beep for each picture saved, none otherwise");
  Stop();
  Eq(RegAll(), Stored({{L"FTYPE", L"1"}, {L"FNAME", L"CAP"}, {L"StartValue", L"1"}, {L"StartPos", L"0"},
                       {L"PresendValue", to_wstring(n + 4)}}), L"stored at exit");
}

// The three naming schemes, chosen by the stored settings, also as other
// programs may have stored them.
void GroupNaming() {
  JoinViewer();
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"NUM"}, {L"StartValue", L"0012"},
            {L"PresendValue", L"37"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  ExpectCapture(L"from the start value, not the stored number", 0, L"NUM0012.BMP", Put("rgb24"));
  Stop();
  Eq(RegAll(), Stored({{L"FTYPE", L"1"}, {L"FNAME", L"NUM"}, {L"StartValue", L"0012"}, {L"PresendValue", L"13"},
                       {L"StartPos", L"0"}}), L"the number reached is stored");
  RegSet(L"PresendFlag", L"1");
  RegSet(L"FNAME", L"画像");
  if (!Start()) return;
  ExpectCapture(L"carried over, Japanese prefix", 0, L"画像0013.BMP", Put("rgb24"));
  Stop();
  // Values of other types and lengths: a number, a text without its end,
  // a text cut by a NUL, bytes (not read: the default).
  const DWORD one = 1;
  RegSet(L"FTYPE", reinterpret_cast<const wchar_t*>(&one), REG_DWORD, 4);
  RegSet(L"FNAME", L"abc", REG_SZ, 6);
  RegSet(L"PresendFlag", L"0", REG_BINARY, 2);
  RegSet(L"StartValue", wstring(L"12\0junk", 7), REG_SZ, 16);
  if (!Start()) return;
  ExpectCapture(L"values stored by other programs", 0, L"abc0012.BMP", Put("rgb24"));
  Stop();

  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L""}, {L"PresendFlag", L"1"},
            {L"PresendValue", L"9998"}});
  if (!Start()) return;
  ExpectCapture(L"9998", 0, L"9998.BMP", Put("rgb24"));
  ExpectCapture(L"9999", 1, L"9999.BMP", Put("rgb24", 9));
  ExpectCapture(L"0000 after 9999", 2, L"0000.BMP", Put("rgb24", 11));
  Stop();
  Eq(RegAll().find(L"PresendValue=1 ") != wstring::npos, 1, L"number after the wrap");

  // Three pictures within one second get -2 and -3; the next second none.
  // Under load the three may not fit into one second: then once more.
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"0"}, {L"FNAME", L"DT"}});
  if (!Start()) return;
  auto stampNow = [] {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"DT%02u%02u%02u%02u%02u", now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    return wstring(stamp);
  };
  auto nextSecond = [&] {
    const wstring stamp = stampNow();
    WaitFor([&] { return stampNow() != stamp; });
    return stampNow();
  };
  int at = 0;
  for (int attempt = 1; attempt <= 3; ++attempt, at = ListCount()) {
    const wstring stamp = nextSecond();
    for (int i = 0; i < 3; ++i) Put("rgb24"), ClipEmpty(900);
    WaitFor([&] { return ListCount() >= at + 3; });
    if (stampNow() != stamp && attempt < 3) continue;
    Eq(ListEntry(at) + ListEntry(at + 1) + ListEntry(at + 2),
       baseDir + stamp + L".BMP" + baseDir + stamp + L"-2.BMP" + baseDir + stamp + L"-3.BMP", L"within a second");
    break;
  }
  const wstring later = nextSecond();
  const int index = ListCount();
  ExpectCapture(L"a new second", index, later + L".BMP", Put("rgb24"));
  Stop();

  // User input: the save dialog asks for each name.
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"2"}});
  if (!Start()) return;
  const Picture first = Put("rgb24");
  HWND dialog = WaitTop(kSaveDialog);
  if (!Check(dialog != nullptr, L"the save dialog did not open")) return;
  Check(GetWindow(dialog, GW_OWNER) == Main(), L"the save dialog is owned by the main window");
  Eq(Text(GetDlgItem(dialog, 1137)) + L" " + Text(GetDlgItem(dialog, 1136)), L"out 画像ﾌｧｲﾙ (*.BMP)",
     L"save dialog: folder and filter");
  Check(!IsWindowVisible(GetDlgItem(dialog, 1040)), L"save dialog without the read-only check box");
  SetText(GetDlgItem(dialog, 0x47C), L"typed_name");  // the name box
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"the name as typed", 0, L"typed_name", first);
  // Cancelled: USERINPUT.BMP; a picture copied meanwhile is asked for next.
  const Picture cancelled = Put("rgb24", 7);
  dialog = WaitTop(kSaveDialog);
  const Picture meanwhile = Put("rgb24", 13);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ExpectCapture(L"cancelled", 1, L"USERINPUT.BMP", cancelled, true);
  WaitFor([&] { return !IsWindow(dialog); });
  dialog = WaitTop(kSaveDialog);
  if (!Check(dialog != nullptr, L"a picture copied behind the save dialog was dropped")) return;
  SetText(GetDlgItem(dialog, 0x47C), L"later.BMP");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"copied while the dialog was open", 2, L"later.BMP", meanwhile);
  Stop();
}

// The file-name dialog: what it shows, what its controls change, what the
// next capture uses and what is stored at exit.
wstring FnameState(HWND d) {  // the three options and the check box, then the three boxes
  wstring state;
  for (int id : {2000, 2001, 2002, 2016}) state += to_wstring(Send(GetDlgItem(d, id), BM_GETCHECK));
  for (int id : {2012, 2014, 2018}) state += L" " + Text(GetDlgItem(d, id));
  return state + (IsWindowEnabled(GetDlgItem(d, 2014)) ? L" next enabled" : L"");
}
HWND OpenFname() {
  Keys(Main(), {'F' | kCtrl});
  HWND dialog = WaitTop(kFname, L"PixkeeperFname");
  Check(dialog != nullptr, L"Ctrl+F did not open the file-name dialog");
  return dialog;
}
void GroupFname() {
  JoinViewer();
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"0"}, {L"FNAME", L"BMP"}, {L"StartValue", L"0"}, {L"StartPos", L"0"}});
  HWND d = nullptr;
  if (!Start() || !(d = OpenFname())) return;
  Eq(FnameState(d), L"1000 0 0 BMP", L"the dialog shows the settings");
  Click(GetDlgItem(d, 2001));
  ExpectCapture(L"behind the dialog, by the option chosen", 0, L"BMP0000.BMP", Put("rgb24", 6));
  SetText(GetDlgItem(d, 2012), L"");
  Type(GetDlgItem(d, 2012), L"1a2-345");
  // Return and Esc come through the dialog's loop, before the letter posted after them.
  for (WORD key : {VK_RETURN, VK_ESCAPE}) PostMessageW(GetDlgItem(d, 2012), WM_KEYDOWN, key, 1);
  SetText(GetDlgItem(d, 2018), L"");
  Type(GetDlgItem(d, 2018), L"PK");
  PostMessageW(GetDlgItem(d, 2018), WM_CHAR, L'_', 1);
  WaitFor([&] { return Text(GetDlgItem(d, 2018)) == L"PK_"; });
  Check(IsWindowVisible(d), L"Return and Esc do not close the dialog");
  Click(GetDlgItem(d, 2016));
  Click(GetDlgItem(d, 2015));
  Eq(FnameState(d), L"0101 1234 1234 PK_", L"digits only, four at most; the check box; Reset");
  Click(GetDlgItem(d, 2019));
  Check(WaitFor([&] { return !IsWindowVisible(d); }), L"戻る hides the dialog");
  ExpectCapture(L"after the dialog", 1, L"PK_1234.BMP", Put("rgb24"));
  Stop();
  const Values stored = {{L"FNAME", L"PK_"}, {L"FTYPE", L"1"}, {L"PresendFlag", L"1"}, {L"PresendValue", L"1235"},
                         {L"StartPos", L"0"}, {L"StartValue", L"1234"}};
  Eq(RegAll(), Stored(stored), L"stored after 戻る");

  if (!Start() || !(d = OpenFname())) return;
  Eq(FnameState(d), L"0101 1234 1235 PK_", L"the dialog shows the stored values");
  // Reset with an empty start box fills in 0; the close box keeps the
  // option and the number but not the texts.
  SetText(GetDlgItem(d, 2012), L"");
  Click(GetDlgItem(d, 2015));
  Click(GetDlgItem(d, 2002));
  SetText(GetDlgItem(d, 2018), L"ZZ");
  CopyFileW((out + L"BMP0000.BMP").c_str(), (out + L"USERINPUT.BMP").c_str(), FALSE);  // to be replaced
  Eq(FnameState(d), L"0011 0 0 ZZ", L"Reset with an empty box");
  PostMessageW(d, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindowVisible(d); }), L"the close box closes the dialog");
  const Picture picture = Put("rgb24");
  HWND save = WaitTop(kSaveDialog);
  if (Check(save != nullptr, L"the option chosen before the close box did not take effect")) {
    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    ExpectCapture(L"user input after the close box", 0, L"USERINPUT.BMP", picture);
  }
  Stop();
  Eq(RegAll(), Stored({{L"FNAME", L"PK_"}, {L"FTYPE", L"2"}, {L"PresendFlag", L"1"}, {L"PresendValue", L"0"},
                       {L"StartPos", L"0"}, {L"StartValue", L"1234"}}), L"stored after the close box");
}

// A click on a listed file puts its path on the clipboard as text, also
// while another program holds the clipboard a moment; a double-click on a
// file that has gone shows the two-line message.
void GroupList() {
  HWND viewer = JoinViewer();
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"L"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  StartBellCounter();
  if (!Start()) return;
  ExpectCapture(L"first", 0, L"L0001.BMP", Put("rgb24"));
  ExpectCapture(L"second", 1, L"L0002.BMP", Put("rgb24", 8));
  auto clipIs = [](const wstring& text) { return WaitFor([&] { return ClipText() == text; }, 3000); };
  OpenClipboard(owner);
  ListClick(0);
  WaitFor([] { return false; }, 300);
  CloseClipboard();
  Check(clipIs(baseDir + L"L0001.BMP"), L"a click puts the path on the clipboard");
  Check(!IsClipboardFormatAvailable(CF_DIB), L"only text on the clipboard");
  PostMessageW(List(), WM_KEYDOWN, VK_DOWN, 1);
  Check(clipIs(baseDir + L"L0002.BMP"), L"the entry chosen by Down is on the clipboard");
  PutIgnored(viewer, [] { PostMessageW(List(), WM_KEYDOWN, VK_UP, 1); }, L"Up");
  Check(clipIs(baseDir + L"L0001.BMP"), L"the entry chosen by Up is on the clipboard");
  Eq(Files(out) + to_wstring(ListCount()), L"L0001.BMP L0002.BMP 2", L"no file and no entry for the text");

  DeleteFileW((out + L"L0002.BMP").c_str());
  ListClick(1, true);
  HWND box = WaitTop(kMain);
  Eq(BoxText(box), L"対象画像が存在しません。削除された可能性があります。\r\n対象画像名 [" + baseDir + L"L0002.BMP]",
     L"message for a missing file");
  Eq(BoxIcon(box), L"error", L"its icon");
  ExpectCapture(L"a picture copied while the message is up", 2, L"L0003.BMP", Put("rgb24", 3));
  Check(BoxOk(box), L"the message closes with OK");
  Eq(ListEntry(1), baseDir + L"L0002.BMP", L"the entry stays");
  ExpectBells(3, L"a beep for each picture and none for the paths");
  Stop();
}

// Every way of ending stores the nine settings; the running number
// survives to the next start.
void EndSession(bool really) {
  Check(Send(Main(), WM_QUERYENDSESSION) != 0, L"the session may end");
  Send(Main(), WM_ENDSESSION, really);
}
void GroupClose() {
  JoinViewer();
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"Q"}, {L"StartValue", L"5"}});
  if (!Start()) return;
  ExpectCapture(L"first run", 0, L"Q0005.BMP", Put("rgb24"));
  Keys(Main(), {'P' | kCtrl, 'I' | kCtrl, 'V' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Eq(RegAll(), Stored({{L"FNAME", L"Q"}, {L"FTYPE", L"1"}, {L"PresendValue", L"6"}, {L"StartMode", L"1"},
                       {L"StartPos", L"0"}, {L"StartValue", L"5"}, {L"ViewMode", L"1"}}),
     L"stored after Ctrl+Q, the marks toggled");

  // A save directory over 128 characters, with Japanese names, kept whole.
  for (int i = 0; i < 4; ++i) {
    CreateDirectoryW((baseDir = out += L"スクリーンショット保存先_long_directory_name\\").c_str(), nullptr);
  }
  RegSet(L"BaseDir", baseDir);
  RegSet(L"PresendFlag", L"1");
  auto stored = [](const wchar_t* number) {
    return Stored({{L"FNAME", L"Q"}, {L"FTYPE", L"1"}, {L"PresendFlag", L"1"}, {L"PresendValue", number},
                   {L"StartMode", L"1"}, {L"StartPos", L"0"}, {L"StartValue", L"5"}, {L"ViewMode", L"1"}});
  };
  if (!Start()) return;
  Check(IsIconic(Main()), L"started minimised");
  ExpectCapture(L"second run", 0, L"Q0006.BMP", Put("rgb24", 6));
  Stop();
  Eq(RegAll(), stored(L"7"), L"stored after the close box");

  if (!Start()) return;
  EndSession(false);
  Check(!Ended(pk, 300) && GetClipboardViewer() == Main(), L"still running after a cancelled session end");
  ExpectCapture(L"into the long directory read back", 0, L"Q0007.BMP", Put("rgb24", 4));
  Settings({});
  EndSession(true);
  Check(Ended(pk), L"the program ends with the session");
  Eq(RegAll(), stored(L"8"), L"stored at the session end");

  if (!Start()) return;
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()); });
  if (!OpenFname()) return;
  ExpectCapture(L"behind the dialog", 0, L"Q0008.BMP", Put("rgb24", 4));
  Settings({});
  EndSession(true);
  Check(Ended(pk), L"the program ends with the session, dialog and all");
  Eq(RegAll(), stored(L"9"),
     L"stored at the session end with the dialog open");
}

// A second copy refuses to start and leaves the first alone; "/CLEAR" while
// a copy runs deletes the settings, which the running copy writes at exit.
void GroupSingle() {
  JoinViewer();
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"S"}, {L"StartValue", L"1"}, {L"StartMode", L"1"}});
  if (!Start()) return;
  ExpectCapture(L"first copy", 0, L"S0001.BMP", Put("rgb24"));
  auto state = [] {
    return Place(Rect(Main())) + L" " + to_wstring(Style(Main())) + L" " + to_wstring(IsIconic(Main()));
  };
  const wstring before = state();
  Check(IsIconic(Main()), L"first copy minimised");
  HANDLE second = Launch();
  HWND box = WaitTop(kNotice);
  Eq(BoxText(box) + L" " + BoxIcon(box), L"すでに起動されているので終了します。 information", L"the notice");
  Check(BoxOk(box) && Ended(second), L"the second copy ends after OK");
  Eq(state(), before, L"first copy untouched");
  Check(GetClipboardViewer() == Main(), L"first copy still heads the viewer chain");
  ExpectCapture(L"first copy still captures", 1, L"S0002.BMP", Put("rgb24", 3));

  HANDLE extra = Launch(L"/CLEAR now");
  Check(BoxOk(WaitTop(kNotice)) && Ended(extra), L"'/CLEAR now' starts normally and meets the first copy");
  Check(RegAll() != L"absent", L"'/CLEAR now' cleared nothing");
  Check(Ended(Launch(L" \t /clear", false)), L"the clearing copy ends");
  Check(Top(kNotice, kBox) == nullptr && RegAll() == L"absent", L"/clear deletes the settings, no notice");
  Stop();
  Eq(RegAll(), Stored({{L"FNAME", L"S"}, {L"FTYPE", L"1"}, {L"PresendValue", L"3"}, {L"StartMode", L"1"},
                       {L"StartValue", L"1"}}), L"the running copy writes the nine keys at exit");

  // A window of another program titled Pixkeeper blocks the start too.
  HWND other = NewWindow(kMain);
  HANDLE refused = Launch();
  Check(BoxOk(WaitTop(kNotice)) && Ended(refused), L"refused because of another program's window");
  DestroyWindow(other);

  // Two copies started at once: one runs, the other is refused.
  HANDLE a = Launch(), b = Launch();
  Check(BoxOk(WaitTop(kNotice)), L"one of two copies shows the notice");
  Check(WaitFor([&] { return Ended(a, 0) || Ended(b, 0); }), L"neither copy ended after the notice");
  pk = Ended(a, 0) ? b : a;
  Check(WaitFor([] { return Main() && GetClipboardViewer() == Main() && IsWindowVisible(Main()); }),
        L"the other runs and heads the viewer chain");
  Stop();
}

// A stored value that cannot be converted stops the start with the error's
// number and text: no main window, nothing written. "/CLEAR" is the way out.
void GroupValues() {
  auto refused = [](int number, const wstring& text, Values values) {
    Settings(values);
    RegSet(L"BaseDir", baseDir);
    const wstring stored = RegAll(), what = stored.substr(stored.find(L' ') + 1);
    HANDLE process = Launch();
    HWND box = WaitTop(kMain);
    if (number != 0) Eq(BoxText(box), L"実行時エラー '" + to_wstring(number) + L"':\r\n\r\n" + text, what);
    Check(box && !Top(kMain, kMainClass) && BoxOk(box) && Ended(process), what + L": a box, no main window, the end");
    Eq(RegAll(), stored, what + L": settings written");
  };
  const wchar_t mismatch[] = L"型が一致しません。", overflow[] = L"オーバーフローしました。";
  for (const wchar_t* key : {L"FTYPE", L"PresendFlag", L"PresendValue", L"StartPos", L"StartMode", L"ViewMode"}) {
    refused(13, mismatch, {{key, L"abc"}});
    refused(13, mismatch, {{key, L""}});
    refused(6, overflow, {{key, L"40000"}});
    refused(6, overflow, {{key, L"-40000"}});
  }
  refused(13, mismatch, {{L"StartValue", L"12x"}, {L"PresendFlag", L"0"}});
  refused(0, L"", {{L"FTYPE", L"3"}});
  Settings({{L"StartPos", L"abc"}});
  Check(Ended(Launch(L"/CLEAR")) && RegAll() == L"absent", L"/CLEAR deletes the settings and ends");
  if (!Start()) return;
  Stop();
  baseDir = L"C:\\";
  Eq(RegAll(), Stored({}), L"the defaults stored");
}

// Viewers that joined the chain before Pixkeeper keep hearing of every
// change while it runs and after it leaves, also when one of them leaves.
void GroupViewers() {
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"V"}, {L"StartValue", L"1"}});
  HWND a = JoinViewer(L"viewer a"), b = JoinViewer(L"viewer b");
  if (!Start()) return;
  int na = viewers[a].notices, nb = viewers[b].notices;
  ExpectCapture(L"picture", 0, L"V0001.BMP", Put("rgb24"));
  Check(Notified(b, nb) && Notified(a, na), L"both earlier viewers hear of a picture");
  na = viewers[a].notices;
  PutClipboard([] { return PutText(L"text"); });
  Check(Notified(a, na), L"viewer a hears of text");
  LeaveViewer(b);
  na = viewers[a].notices;
  ExpectCapture(L"picture after b left", 1, L"V0002.BMP", Put("rgb24", 5));
  Check(Notified(a, na), L"viewer a still hears after b left");
  HWND c = JoinViewer(L"viewer c");
  na = viewers[a].notices;
  ExpectCapture(L"picture with a viewer ahead of Pixkeeper", 2, L"V0003.BMP", Put("rgb24", 7));
  Check(Notified(a, na), L"viewer a hears through c and Pixkeeper");
  Stop();
  Check(viewers[c].next == a, L"Pixkeeper names a as it leaves");
  na = viewers[a].notices;
  PutClipboard([] { return PutText(L"after exit"); });
  Check(Notified(a, na), L"viewer a hears after Pixkeeper ended");
}

// The main window and the file-name dialog as laid out (twips at 15 to a
// pixel), with screenshots in work\screenshots.
wstring Layout(HWND top) {  // each control: class, text and place in the client area
  wstring all;
  for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    all += ClassOf(c) + L" " + Text(c) + L" " + Place(Rect(c, top)) + L"\n";
  }
  return all;
}
wstring Centred(HWND window) {  // across, and 300 twips above the middle of 1280 x 1024
  const RECT r = Rect(window);
  return to_wstring(r.left - (1280 - (r.right - r.left)) / 2) + L"," +
         to_wstring(r.top - (1024 - (r.bottom - r.top)) / 2);
}
void GroupGeometry() {
  JoinViewer();
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"G"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  ExpectCapture(L"an entry to show", 0, L"G0001.BMP", Put("rgb24"));
  // The client area at 3900, 3345 twips, 4935 x 3495; the list at 120, 120,
  // as large as the window less 180 x 600, a list box of whole lines.
  const wstring list = L"ListBox  3,3 323x225\n";
  Eq(Place(Client(Main())) + L" " + Layout(Main()), L"260,223 329x233 " + list, L"main window: client area, list");
  Eq(Style(Main()) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX,
     L"minimise box only, fixed border");
  Check(GetMenu(Main()) != nullptr, L"menu bar");
  Screenshot(Main(), L"main");
  if (HWND d = OpenFname()) {
    Eq(Centred(d) + L" " + Place(Client(d)) + L"\n" + Layout(d), L"1,-20 " + Place(Client(d)) + L"\n"
       L"Button 日付形式(FNAMEmmddhhmmss.BMP) 24,40 257x17\nButton 通番形式(FNAME9999.BMP) 24,64 209x17\n"
       L"Static 初期値 232,64 57x17\nEdit 1 296,64 41x21\nStatic 次回書込値 200,88 89x17\nEdit 2 296,88 41x21\n"
       L"Button Reset 344,88 41x17\nButton 終了時に現在値を保持する 160,112 217x17\n"
       L"Button ユーザ入力形式(保存時に入力ウインドウ表示) 24,136 361x17\nButton ファイル保存名形式 8,8 385x161\n"
       L"Edit G 16,200 369x22\nButton 日付および通番時のファイル先頭文字列 8,176 385x57\nButton 戻る 296,240 97x41\n",
       L"file-name dialog: centred, the controls");
    Eq(Place(Client(d)).substr(Place(Client(d)).find(L' ')), L" 401x289", L"dialog client 6015 x 4335 twips");
    Eq(Style(d) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_SYSMENU), WS_SYSMENU,
       L"dialog: close box only, fixed");
    const LONG ex = Style(d, GWL_EXSTYLE);
    Check(!(ex & WS_EX_APPWINDOW) && ((ex & WS_EX_TOOLWINDOW) || GetWindow(d, GW_OWNER)),
          L"dialog: no task-bar button");
    const auto shot = Screenshot(d, L"fname");
    // Inside a frame, where no control lies, the dialog's own background.
    const RECT r = Rect(d), c = Client(d);
    auto at = [&](int x, int y) { return shot[(c.top - r.top + y) * (r.right - r.left) + c.left - r.left + x]; };
    Eq(at(90, 120), at(100, 262), L"a frame shows the dialog's background");
    PostMessageW(d, WM_CLOSE, 0, 0);
  }
  Stop();
  // Centred at start, and minimised: restored, the list is placed as usual.
  RegSet(L"StartPos", L"1");
  RegSet(L"StartMode", L"1");
  if (!Start()) return;
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()) && Rect(Main()).right - Rect(Main()).left > 300; });
  Eq(Centred(Main()) + L" " + Layout(Main()), L"1,-19 " + list, L"centred at start; the list after a minimised start");
  Stop();
}

// --- the save-directory dialog, the About box and the image viewer ---------------

const wchar_t kDirTitle[] = L"保存ディレクトリ選択", kAboutTitle[] = L"バージョン情報", kViewTitle[] = L"画像表示";
HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}
bool Shut(HWND window, int button = 0) {  // by a button, or by the close box
  if (button) Click(GetDlgItem(window, button));
  else PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  return WaitFor([&] { return !IsWindow(window); });
}
// Opened by its shortcut from the main window: centred as the file-name
// dialog is, the program's icon, no task-bar button; Enter and Esc leave it open.
HWND OpenDialog(WORD key, const wchar_t* title, const wchar_t* cls) {
  Keys(Main(), {key});
  HWND d = WaitTop(title, cls);
  const wstring what = title;
  if (!Check(d != nullptr, what + L" did not open")) return nullptr;
  Eq(Centred(d), L"1,-20", what + L": centred");
  Check(GetWindow(d, GW_OWNER) && !(Style(d, GWL_EXSTYLE) & WS_EX_APPWINDOW), what + L": no task-bar button");
  Eq(Style(d) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_SYSMENU), WS_SYSMENU, what + L": close box only");
  Keys(d, {VK_RETURN, VK_ESCAPE});
  WaitFor([] { return false; }, 300);
  Check(IsWindowVisible(d), what + L": Enter and Esc leave it open");
  return d;
}

void GroupAbout() {
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"A"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  const wstring history =
      L"1.00-新規作成|1.01-環境設定ﾒﾆｭｰ追加|1.02-保存先ﾃﾞｨﾚｸﾄﾘ異常時の対応|     ｺﾏﾝﾄﾞﾗｲﾝ処理追加(ﾚｼﾞｽﾄﾘ異常対策)|"
      L"1.03-通番の初期値を指定出来る様にした|     前回の現在値を保持出来る様にした|1.04-保存ﾌｧｲﾙ名の一覧を表示する様にした|"
      L"     ｸﾘｯｸしたﾌｧｲﾙ名をさりげなくｸﾘｯﾌﾟﾎﾞｰﾄﾞに吐き出す様にした|     ﾌｧｲﾙ名をﾀﾞﾌﾞﾙｸﾘｯｸするとそのﾌｧｲﾙを表示する様にした|"
      L"     表示の際に関連付けられているｱﾌﾟﾘを使用する様に選択出来る様にした|     PG実行中にVBを起動するとｴﾗｰ終了していた問題の回避|"
      L"     PG実行中にExcelで切取/ｺﾋﾟｰすると画像として取りこんでしまう問題の回避|     保存ﾌｧｲﾙ名に時刻を指定した場合の同一時刻での上書き対策|";
  for (int round = 0; round < 2; ++round) {  // twice: the history is filled anew
    HWND d = OpenDialog('A' | kCtrl, kAboutTitle, L"PixkeeperAbout");
    if (!d) return;
    HWND list = GetDlgItem(d, 4003), label = GetDlgItem(d, 4001);
    wstring entries;
    for (int i = 0; i < Send(list, LB_GETCOUNT); ++i) entries += ListEntry(i, list) + L"|";
    Eq(entries, history, L"the history");
    Check(Focus(d) == list, L"About: the list has the focus");
    Check((Style(label) & SS_TYPEMASK) == SS_CENTER && !(Style(label) & WS_BORDER) &&
          !(Style(label, GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)), L"the label centred, without a border");
    if (round == 0) {
      Eq(Place(Client(d)).substr(Place(Client(d)).find(L' ')) + L"\n" + Layout(d), L" 273x313\nListBox  16,48 241x177\nButton OK 152,264 113x41\n"
         L"Static Pixkeeper Ver1.04 8,8 257x17\nButton 更新履歴 8,32 257x225\n", L"About: client area, controls");
      Screenshot(d, L"about");
    }
    ExpectCapture(L"behind the About box", round, Numbered(L"A", round + 1), Put("rgb24", 3 + round));
    Check(Shut(d, round == 0 ? 4004 : 0), round == 0 ? L"OK closes it" : L"the close box closes it");
  }
  Stop();
}

// The directory list: each line's indent and name; the open line is the
// selected one.
std::vector<std::pair<size_t, wstring>> DirLines(HWND dir) {
  std::vector<std::pair<size_t, wstring>> lines;
  for (int i = 0; i < Send(dir, LB_GETCOUNT); ++i) {
    const wstring line = ListEntry(i, dir);
    const size_t indent = line.find_first_not_of(L' ');
    lines.emplace_back(indent, line.substr(line.find(L' ', indent) + 1));
  }
  return lines;
}
// The hierarchy down to the open directory, one level deeper each, then its
// subdirectories one level further in: "name|" for each, "*" after the open one.
wstring DirShown(HWND dir) {
  const auto lines = DirLines(dir);
  const size_t open = static_cast<size_t>(Send(dir, LB_GETCURSEL));
  wstring shown;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool deeper = i == 0 || (i <= open ? lines[i].first > lines[i - 1].first
                                             : lines[i].first == lines[open + 1].first && lines[i].first > lines[open].first);
    shown += lines[i].second + (i == open ? L"*" : L"") + (deeper ? L"|" : L" (not indented)|");
  }
  return shown;
}
wstring Hierarchy(const wstring& path) {  // "Z:\|a|b|" for Z:\a\b\ .
  wstring shown = path.substr(0, 3) + L"|";
  for (size_t at = 3, end; at < path.size(); at = end + 1) shown += path.substr(at, (end = path.find(L'\\', at)) - at) + L"|";
  return shown;
}
wstring OpenAt(const wstring& path) {  // the hierarchy of an open directory without subdirectories
  const wstring shown = Hierarchy(path);
  return shown.substr(0, shown.size() - 1) + L"*|";
}
wstring Upper(wstring text) {
  CharUpperW(text.data());
  return text;
}
void GroupDir() {
  const wstring top = out, sub = out + L"sub\\";
  CreateDirectoryW(sub.c_str(), nullptr);
  for (const wchar_t* name : {L"beta", L"Alpha", L"サブ", L".hidden"}) CreateDirectoryW((sub + name).c_str(), nullptr);
  wstring lower = sub;
  CharLowerW(lower.data());
  Settings({{L"BaseDir", lower}, {L"FTYPE", L"1"}, {L"FNAME", L"D"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  Check(DefineDosDeviceW(0, L"Y:", (work + L"nowhere").c_str()), L"cannot make drive Y:");  // a drive not ready
  if (!Start()) return;
  HWND d = OpenDialog('D' | kCtrl, kDirTitle, L"PixkeeperDirConfig"), drive = GetDlgItem(d, 3001), dir = GetDlgItem(d, 3002);
  if (!d) return;
  Check(Focus(d) == drive, L"the drive list has the focus");
  Eq(Text(drive).substr(0, 2) + L" " + DirShown(dir), L"Z: " + OpenAt(lower) + L"Alpha|beta|サブ|", L"the drive, the hierarchy, the subdirectories sorted, no hidden one");
  Eq(Place(Client(d)).substr(Place(Client(d)).find(L' ')) + L"\n" + Layout(d), L" 321x249\nComboBox Z: 8,8 305x25\nListBox  8,40 305x150\nButton 戻る 216,200 97x41\n",
     L"DirConfig: client area, controls");
  Screenshot(d, L"dirconfig");
  out = sub, baseDir = lower;
  ExpectCapture(L"behind the dialog, into the directory in force", 0, L"D0001.BMP", Put("rgb24"));
  ListClick(static_cast<int>(DirLines(dir).size()) - 2, false, dir);  // beta, highlighted only
  Check(Shut(d, 3003), L"戻る closes the dialog");
  baseDir = Upper(sub);
  ExpectCapture(L"into the open directory, upper case", 1, L"D0002.BMP", Put("rgb24", 3));

  if (!(d = OpenDialog('D' | kCtrl, kDirTitle, L"PixkeeperDirConfig"))) return;
  dir = GetDlgItem(d, 3002), drive = GetDlgItem(d, 3001);
  ListClick(static_cast<int>(DirLines(dir).size()) - 2, true, dir);
  Check(WaitFor([&] { return DirShown(dir) == OpenAt(baseDir + L"beta\\"); }),
        L"a double-click opens beta: " + DirShown(dir));
  Check(Shut(d), L"the close box closes the dialog");
  out = sub + L"beta\\", baseDir = Upper(out);
  ExpectCapture(L"into the directory opened by a double-click", 2, L"D0003.BMP", Put("rgb24", 4));

  // Another drive opens its current directory; a drive that is not ready is
  // refused and the drive list returns.
  if (!(d = OpenDialog('D' | kCtrl, kDirTitle, L"PixkeeperDirConfig"))) return;
  dir = GetDlgItem(d, 3002), drive = GetDlgItem(d, 3001);
  const wstring before = DirShown(dir);
  auto pick = [&](const wchar_t* letter) {
    Send(drive, CB_SETCURSEL, Send(drive, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(letter)));
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(3001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drive));
  };
  pick(L"Y:");
  HWND box = WaitTop(kMain);
  Eq(BoxText(box) + L" " + BoxIcon(box), L"ドライブ Y: の準備ができていません。 error", L"a drive that is not ready");
  BoxOk(box);
  Eq(Text(drive).substr(0, 2) + L" " + DirShown(dir), L"Z: " + before, L"the drive list returns, nothing else changes");
  pick(L"C:");
  Check(WaitFor([&] { return DirShown(dir).rfind(L"C:\\*|", 0) == 0; }), L"drive C: opens its current directory: " + DirShown(dir));
  Shut(d, 3003);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Y:", nullptr);
  Stop();
  Check(RegAll().find(L"BaseDir=C:\\ ") != wstring::npos, L"the drive's directory stored: " + RegAll());

  // A stored directory that has gone, or whose drive is missing: said once,
  // then the root of its drive, or of the program's drive, is shown and stored.
  for (const wstring& gone : {top + L"gone\\", wstring(L"Q:\\X\\")}) {
    RegSet(L"BaseDir", gone);
    if (!Start()) return;
    Keys(Main(), {'D' | kCtrl});
    box = WaitTop(kMain);
    Eq(BoxText(box) + L" " + BoxIcon(box), L"前回指定されたディレクトリが存在しないのでルートディレクトリを表示します。\r\n"
       L"前回指定ディレクトリ[" + gone + L"] error", L"the message for " + gone);
    BoxOk(box);
    Check(!WaitFor([] { return Top(kMain, kBox) != nullptr; }, 500), L"said once");
    d = WaitTop(kDirTitle, L"PixkeeperDirConfig");
    Check(d && DirShown(GetDlgItem(d, 3002)).rfind(L"Z:\\*|", 0) == 0, L"the root shown for " + gone);
    Shut(d, 3003);
    Stop();
    Check(RegAll().find(L"BaseDir=Z:\\ ") != wstring::npos, L"the root stored for " + gone);
  }
}

// The viewer shows a listed picture at its size, pixel for pixel, centred
// without clamping; with the mark set the associated application opens it.
void GroupViewer() {
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"I"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  Picture pictures[] = {Put("rgb555", 200, Form::kDib, 120), {}};
  // The outer size is the picture's + 200 x 480 twips, centred on 1280 x 1024.
  const wchar_t* places[] = {L"533,436 213x152", L"-67,-54 1413x1132"};
  for (int i = 0; i < 2; ++i) {
    if (i == 0) ExpectCapture(L"16 bits", 0, L"I0001.BMP", pictures[0]);
    ListClick(i, true);
    HWND v = WaitTop(kViewTitle, L"PixkeeperImageView");
    if (!Check(v != nullptr, L"a double-click opens the viewer")) return;
    Eq(Place(Rect(v)), places[i], L"the viewer's place for the entry selected");
    if (i == 0) {
      const RECT c = Client(v), at{c.left + 3, c.top + 3, c.left + 203, c.top + 123};  // 50 twips in
      Bytes shown;
      WaitFor([&] {
        shown.clear();
        for (std::uint32_t p : Grab(at)) shown.insert(shown.end(), {BYTE(p >> 16), BYTE(p >> 8), BYTE(p)});
        return shown == pictures[0].rgb;
      }, 2000);
      Check(shown == pictures[0].rgb, L"the picture pixel for pixel");
      ExpectCapture(L"larger than the screen, behind the viewer", 1, L"I0002.BMP", pictures[1] = Put("rgb24", 1400, Form::kDib, 1100));
    }
    Keys(v, {VK_RETURN, VK_SPACE, 'A'});
    WaitFor([] { return false; }, 300);
    Check(IsWindowVisible(v), L"Enter, Space and letters leave the viewer open");
    Keys(v, {VK_ESCAPE});
    Check(WaitFor([&] { return !IsWindow(v); }), L"Esc closes the viewer");
  }
  // A listed file that is no picture: said, no viewer, the list unchanged.
  FILE* file = _wfopen((out + L"I0001.BMP").c_str(), L"wb");
  std::fputs("not a picture", file);
  std::fclose(file);
  ListClick(0, true);
  HWND box = WaitTop(kMain);
  Eq(BoxText(box) + L" " + BoxIcon(box), L"画像を表示できません。\r\n対象画像名 [" + baseDir + L"I0001.BMP] error",
     L"a file that is no picture");
  Check(BoxOk(box) && !Top(kViewTitle, L"PixkeeperImageView") && ListCount() == 2, L"no viewer, the list unchanged");
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
  if (!Start()) return;
  ExpectCapture(L"with the mark set", 0, L"I0001.BMP", Put("rgb24"));
  ListClick(0, true);
  Check(WaitFor([] { return !ReadAll(work + L"opened").empty(); }), L"the associated application did not start");
  const Bytes opened = ReadAll(work + L"opened");
  Eq(wstring(reinterpret_cast<const wchar_t*>(opened.data()), opened.size() / 2), baseDir + L"I0001.BMP|" + program,
     L"the file opened, from the program's directory");
  Check(!Top(kViewTitle, L"PixkeeperImageView"), L"no viewer with the mark set");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\pke2e");
  Stop();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::map<wstring, void (*)()> groups = {{L"capture", GroupCapture}, {L"naming", GroupNaming},
      {L"fname", GroupFname}, {L"list", GroupList}, {L"close", GroupClose}, {L"single", GroupSingle},
      {L"values", GroupValues}, {L"viewers", GroupViewers}, {L"geometry", GroupGeometry},
      {L"about", GroupAbout}, {L"dir", GroupDir}, {L"viewer", GroupViewer}};
  if (argc == 3 && wstring(argv[1]) == L"opened") {  // as the application associated with .bmp
    wchar_t self[MAX_PATH], directory[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, directory);
    const wstring record = wstring(argv[2]) + L"|" + directory;
    if (FILE* file = _wfopen((wstring(self).substr(0, wstring(self).rfind(L'\\')) + L"\\work\\viewer\\opened").c_str(), L"wb")) {
      std::fwrite(record.data(), 2, record.size(), file);
      std::fclose(file);
    }
    return 0;
  }
  if (argc != 2 || groups.count(argv[1]) == 0) {
    Say(L"usage: e2e_driver capture|naming|fname|list|close|single|values|viewers|geometry|about|dir|viewer");
    return 2;
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  work = wstring(self).substr(0, wstring(self).rfind(L'\\')) + L"\\work\\";
  CreateDirectoryW(work.c_str(), nullptr);
  Files(work += wstring(argv[1]) + L"\\", true);
  baseDir = out = work + L"out\\";
  CreateDirectoryW(work.c_str(), nullptr);
  CreateDirectoryW(out.c_str(), nullptr);
  // No window manager on the test display: Wine would wait for one to
  // withdraw each hidden window. Pixkeeper's windows stay unmanaged.
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Pixkeeper.exe\\X11 Driver", L"Managed",
                  REG_SZ, L"N", 4);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ViewerProc;
  windowClass.lpszClassName = L"E2eWindow";
  RegisterClassW(&windowClass);
  owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);

  groups.at(argv[1])();

  // What still runs is asked to close, then ended.
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  for (HANDLE process : launched) {
    if (!Ended(process, 3000)) TerminateProcess(process, 1);
  }
  if (bellsAtStart >= 0) RunUnix(L"kill $(cat " + UnixPath(work + L"xkbevd.pid") + L")");
  while (!viewers.empty()) LeaveViewer(viewers.begin()->first);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  Say(wstring(argv[1]) + L": " + to_wstring(checks) + L" checks, " + to_wstring(failures) + L" failed");
  return failures == 0 ? 0 : 1;
}
