// Plays the end-to-end scenarios against the real Pixkeeper.exe from inside
// Wine, the way a user and other programs meet it: windows by title and
// class, the list box, the clipboard, the stored settings and the files it
// writes, decoded here. Usage: e2e_driver GROUP (the groups are at the end).

#include "E2eDriver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace e2e {

int failures = 0, checks = 0;
std::wstring work, out, baseDir;
HANDLE pk = nullptr;
HWND owner = nullptr;
std::vector<HANDLE> launched;
std::map<HWND, Viewer> viewers;

void Say(const std::wstring& line) {
  std::wstring text = line + L"\n";
  std::string utf8(text.size() * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                  utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
  std::fputs(utf8.c_str(), stdout);
  std::fflush(stdout);
}

bool Check(bool ok, const std::wstring& what) {
  ++checks;
  if (!ok) {
    ++failures;
    Say(L"FAIL: " + what);
  }
  return ok;
}
void Eq(const std::wstring& got, const std::wstring& want, const std::wstring& what) {
  Check(got == want, what + L": got '" + got + L"', expected '" + want + L"'");
}
void Eq(long long got, long long want, const std::wstring& what) {
  Eq(std::to_wstring(got), std::to_wstring(want), what);
}
void Near(long long got, long long want, const std::wstring& what) {
  Check(got - want <= 1 && want - got <= 1,
        what + L": got " + std::to_wstring(got) + L", expected " + std::to_wstring(want) + L" (±1)");
}

// The driver's own windows (clipboard owner, viewers) answer while it waits:
// the program under test sends them messages and waits for the answer.
bool WaitFor(const std::function<bool()>& done, int ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// --- windows ----------------------------------------------------------------

HWND Top(const std::wstring& title, const wchar_t* cls, bool visible) {
  HWND found = nullptr;
  while ((found = FindWindowExW(nullptr, found, cls, title.c_str())) != nullptr) {
    if (!visible || IsWindowVisible(found)) return found;
  }
  return nullptr;
}
HWND WaitTop(const std::wstring& title, const wchar_t* cls, int ms) {
  HWND found = nullptr;
  WaitFor([&] { return (found = Top(title, cls)) != nullptr; }, ms);
  return found;
}
int CountTop(const std::wstring& title, const wchar_t* cls) {
  int count = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, title.c_str())) != nullptr;) {
    count += IsWindowVisible(w) ? 1 : 0;
  }
  return count;
}
HWND Main() { return Top(kMain, kMainClass, false); }

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}
std::wstring Text(HWND window) {
  std::wstring text(Send(window, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
  text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}
std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}
std::vector<HWND> Children(HWND top) {
  std::vector<HWND> all;
  EnumChildWindows(top, [](HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&all));
  return all;
}
HWND Child(HWND top, const wchar_t* cls, const std::wstring& text) {
  for (HWND child : Children(top)) {
    if (_wcsicmp(ClassOf(child).c_str(), cls) == 0 && (text.empty() || Text(child) == text)) return child;
  }
  return nullptr;
}
RECT Rect(HWND window, HWND in) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
RECT ClientOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
LONG Style(HWND window, int which) { return static_cast<LONG>(GetWindowLongPtrW(window, which)); }

// Keys through the input queue of the window that has the focus, as the
// keyboard gives them: with the modifiers' state, so accelerators work.
void Keys(HWND window, std::initializer_list<WORD> keys) {
  SetForegroundWindow(window);
  WaitFor([&] { return GetForegroundWindow() == window; }, 2000);
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  for (WORD vk : keys) {
    const bool ctrl = (vk & kCtrl) != 0;
    if (ctrl) key(VK_CONTROL, 0);
    key(vk & 0xFF, 0);
    key(vk & 0xFF, KEYEVENTF_KEYUP);
    if (ctrl) key(VK_CONTROL, KEYEVENTF_KEYUP);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
void Type(HWND edit, const std::wstring& text) {
  for (wchar_t c : text) Send(edit, WM_CHAR, c, 1);
}
void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// --- the list box -------------------------------------------------------------

HWND List() { return Child(Main(), L"ListBox"); }
int ListCount() { return static_cast<int>(Send(List(), LB_GETCOUNT, 0, 0)); }
std::wstring ListEntry(int index) {
  HWND list = List();
  std::wstring text(Send(list, LB_GETTEXTLEN, index, 0) + 1, L'\0');
  LRESULT length = Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length < 0 ? 0 : length);
  return text;
}
// A click (or double-click) on an entry, as the list box gets it.
void ListClick(int index, bool twice) {
  HWND list = List();
  RECT item{};
  Send(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
    PostMessageW(list, message, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    if (!twice) break;
  }
}

// --- the program --------------------------------------------------------------

HANDLE Launch(const std::wstring& arguments) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring exe(self);
  exe = exe.substr(0, exe.rfind(L'\\')) + L"\\..\\..\\Pixkeeper.exe";
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!Check(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process) != FALSE, L"cannot start " + exe)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  launched.push_back(process.hProcess);
  return process.hProcess;
}
bool Ended(HANDLE process, int ms) {
  return process == nullptr ||
         WaitFor([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, ms);
}

// Started once the main window heads the viewer chain (the last step of the
// start) and is shown. A start-up error box, if any, is reported.
bool Start(const std::wstring& arguments) {
  pk = Launch(arguments);
  const bool up = WaitFor([] {
    HWND main = Main();
    return main != nullptr && GetClipboardViewer() == main && IsWindowVisible(main);
  }, 30000);
  if (!up) {
    HWND box = Top(kMain, kDialogClass);
    Check(false, L"Pixkeeper did not start and join the viewer chain" +
                     (box ? L"; it says: " + BoxText(box) : L""));
  }
  return up;
}
bool Stop() {
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  return Check(Ended(pk, 20000), L"Pixkeeper did not end after WM_CLOSE");
}

// --- settings ----------------------------------------------------------------

void RegClear() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER"); }
void RegSet(const std::wstring& name, const std::wstring& text) {
  Check(RegSetKeyValueW(HKEY_CURRENT_USER, kConfig, name.c_str(), REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS,
        L"cannot store " + name);
}
void Settings(std::initializer_list<std::pair<std::wstring, std::wstring>> values) {
  RegClear();
  for (const auto& value : values) RegSet(value.first, value.second);
}
// Every stored value as "NAME=TEXT " in name order; texts only, "absent"
// without the section.
std::wstring RegAll() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConfig, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"absent";
  std::map<std::wstring, std::wstring> values;
  wchar_t name[256];
  for (DWORD i = 0, length = 256; RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr,
                                                nullptr) == ERROR_SUCCESS; ++i, length = 256) {
    values[name] = Reg(name);
  }
  RegCloseKey(key);
  std::wstring all;
  for (const auto& value : values) all += value.first + L"=" + value.second + L" ";
  return all;
}
std::wstring Reg(const std::wstring& name) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text, type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kConfig, name.c_str(), RRF_RT_ANY, &type, text, &size) !=
      ERROR_SUCCESS) {
    return L"<absent>";
  }
  return type == REG_SZ ? text : L"<type " + std::to_wstring(type) + L">";
}
void ExpectNineKeys(const std::wstring& what) {
  std::wstring names;
  for (const wchar_t* name : {L"BaseDir", L"FNAME", L"FTYPE", L"PresendFlag", L"PresendValue",
                              L"StartMode", L"StartPos", L"StartValue", L"ViewMode"}) {
    names += Reg(name).front() == L'<' ? L"" : std::wstring(name) + L" ";
  }
  const std::wstring all = RegAll();
  Eq(static_cast<long long>(std::count(all.begin(), all.end(), L'=')), 9, what + L": stored values");
  Eq(names, L"BaseDir FNAME FTYPE PresendFlag PresendValue StartMode StartPos StartValue ViewMode ",
     what + L": the nine keys as text");
}

// --- clipboard ------------------------------------------------------------------

bool PutClipboard(const std::function<bool()>& fill) {
  if (!Check(WaitFor([] { return OpenClipboard(owner) != FALSE; }, 3000), L"cannot open the clipboard")) {
    return false;
  }
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
bool PutText(const std::wstring& text) {
  return PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}
Picture Put(const std::string& kind, int width, int height, Form form) {
  Picture picture = pixkeeper::testing::MakeTestPicture(kind, width, height);
  PutClipboard([&] {
    if (form == Form::kDib || form == Form::kDibAndText) {
      return PutData(CF_DIB, picture.dib.data(), picture.dib.size()) &&
             (form == Form::kDib || PutText(L"セル A1"));
    }
    // A device-dependent bitmap of the screen's format, made from the DIB.
    HDC screen = GetDC(nullptr);
    auto* info = reinterpret_cast<const BITMAPINFO*>(picture.dib.data());
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT,
                                    picture.dib.data() + info->bmiHeader.biSize, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  });
  return picture;
}
std::wstring ClipText() {
  std::wstring text = L"<no text>";
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 3000)) return L"<cannot open>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}
bool ClipEmpty(int ms) { return WaitFor([] { return CountClipboardFormats() == 0; }, ms); }

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = viewers.find(window);
  if (found != viewers.end() && (message == WM_DRAWCLIPBOARD || message == WM_CHANGECBCHAIN)) {
    Viewer& viewer = found->second;
    if (message == WM_DRAWCLIPBOARD) ++viewer.notices;
    if (message == WM_CHANGECBCHAIN && reinterpret_cast<HWND>(wParam) == viewer.next) {
      viewer.next = reinterpret_cast<HWND>(lParam);
    } else if (viewer.next != nullptr) {
      SendMessageW(viewer.next, message, wParam, lParam);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
HWND NewWindow(const std::wstring& title) {
  return CreateWindowExW(0, L"E2eWindow", title.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                         nullptr, nullptr, nullptr);
}
HWND JoinViewer(const std::wstring& title) {
  HWND window = NewWindow(title);
  viewers[window];
  viewers[window].next = SetClipboardViewer(window);
  return window;
}
void LeaveViewer(HWND window) {
  ChangeClipboardChain(window, viewers[window].next);
  viewers.erase(window);
  DestroyWindow(window);
}
// Waits for the viewer's next notice: a viewer behind Pixkeeper in the chain
// hears of a change once Pixkeeper is done with it.
bool Notified(HWND viewer, int before) {
  return WaitFor([&] { return viewers[viewer].notices > before; }, 3000);
}

// --- files ---------------------------------------------------------------------

Bytes ReadAll(const std::wstring& path) {
  Bytes bytes;
  if (FILE* file = _wfopen(path.c_str(), L"rb")) {
    for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}
std::wstring Files(const std::wstring& directory) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((directory + L"*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  std::wstring all;
  for (const auto& name : names) all += name + L" ";
  return all;
}
void RemoveTree(const std::wstring& directory) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((directory + L"*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    const std::wstring path = directory + found.cFileName;
    if (found.cFileName[0] == L'.') continue;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + L"\\");
    else DeleteFileW(path.c_str());
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  RemoveDirectoryW(directory.c_str());
}

// A BMP file's pixels as R,G,B from the top row, by a reader of the driver's
// own; empty for what it does not know.
Bytes DecodeBmp(const Bytes& f, int& width, int& height, int& bits) {
  auto u16 = [&](std::size_t i) { return static_cast<unsigned>(f[i] | f[i + 1] << 8); };
  auto u32 = [&](std::size_t i) { return static_cast<std::uint32_t>(u16(i) | u16(i + 2) << 16); };
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M' || u32(2) != f.size()) return {};
  const std::uint32_t header = u32(14);
  const bool core = header == 12;
  width = core ? static_cast<int>(u16(18)) : static_cast<int>(u32(18));
  height = core ? static_cast<std::int16_t>(u16(20)) : static_cast<std::int32_t>(u32(22));
  bits = static_cast<int>(u16(core ? 24 : 28));
  const std::uint32_t compression = core ? 0 : u32(30);
  const bool topDown = height < 0;
  height = std::abs(height);
  const std::size_t entry = core ? 3 : 4, table = 14 + header + (header == 40 && compression == 3 ? 12 : 0);
  std::uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  if (bits == 16) masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  if (compression == 3) masks[0] = u32(54), masks[1] = u32(58), masks[2] = u32(62);
  // Indices or pixel values, file row order.
  std::vector<std::uint32_t> values(static_cast<std::size_t>(width) * height);
  const std::size_t pixels = u32(10), stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  if (compression == 1 || compression == 2) {
    std::size_t at = pixels, x = 0, y = 0;
    auto put = [&](unsigned v) { if (x < static_cast<std::size_t>(width) && y < static_cast<std::size_t>(height)) values[y * width + x] = v; ++x; };
    while (at + 1 < f.size()) {
      const unsigned n = f[at], v = f[at + 1];
      at += 2;
      if (n > 0) {
        for (unsigned i = 0; i < n; ++i) put(compression == 1 ? v : (i % 2 ? v & 15 : v >> 4));
      } else if (v == 0) { x = 0; ++y; }
      else if (v == 1) break;
      else if (v == 2) { x += f[at]; y += f[at + 1]; at += 2; }
      else {
        for (unsigned i = 0; i < v; ++i) put(compression == 1 ? f[at + i] : (i % 2 ? f[at + i / 2] & 15 : f[at + i / 2] >> 4));
        at += compression == 1 ? (v + 1) / 2 * 2 : ((v + 1) / 2 + 1) / 2 * 2;
      }
    }
  } else {
    if (pixels + stride * height > f.size()) return {};
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::size_t bit = pixels * 8 + y * stride * 8 + static_cast<std::size_t>(x) * bits;
        std::uint32_t v = 0;
        for (int b = 0; b < bits; b += 8) v |= (bits < 8 ? f[bit / 8] >> (8 - bits - bit % 8) & ((1 << bits) - 1) : f[bit / 8 + b / 8]) << b;
        values[static_cast<std::size_t>(y) * width + x] = v;
      }
    }
  }
  Bytes rgb;
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = values[static_cast<std::size_t>(y) * width + x];
      if (bits <= 8) {
        for (int c = 2; c >= 0; --c) rgb.push_back(f[table + v * entry + c]);
        continue;
      }
      for (std::uint32_t mask : masks) {
        int shift = 0, size = 0;
        while (mask != 0 && !(mask >> shift & 1)) ++shift;
        while (mask >> (shift + size) & 1) ++size;
        const unsigned c = (v & mask) >> shift;
        rgb.push_back(static_cast<std::uint8_t>(size >= 8 ? c >> (size - 8) : c << (8 - size) | c >> (2 * size - 8)));
      }
    }
  }
  return rgb;
}
bool SamePixels(const std::wstring& path, const Picture& picture) {
  int width = 0, height = 0, bits = 0;
  return DecodeBmp(ReadAll(path), width, height, bits) == picture.rgb && width == picture.width &&
         height == picture.height;
}

// Entry INDEX is the save directory joined with NAME, the file holds the
// picture, and the clipboard is emptied (unless another came meanwhile).
void ExpectCapture(const std::wstring& what, int index, const std::wstring& name,
                   const Picture& picture, bool keep) {
  if (!Check(WaitFor([&] { return ListCount() > index; }, 5000), what + L": no list entry")) return;
  Eq(ListEntry(index), baseDir + name, what + L": list entry");
  if (!keep) Check(ClipEmpty(3000), what + L": clipboard not emptied");
  Check(SamePixels(out + name, picture), what + L": the pixels of " + name + L" differ");
}

// --- beeps ----------------------------------------------------------------------

// Starts a shell command of the machine Wine runs on. (Wine cannot tell
// when such a command has ended: the caller waits for what it does.)
bool RunUnix(const std::wstring& script) {
  std::wstring line = L"/bin/sh -c \"" + script + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}
std::wstring UnixPath(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path.substr(2);  // the build tree is on drive Z:, the root
}
std::wstring bellFile;
int bellsAtStart = 0;
int BellCount() {
  const Bytes bytes = ReadAll(bellFile);
  return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
}
// A beep reaches the X server as a bell; xkbevd writes a line for each.
// It rings once itself as it starts.
void StartBellCounter() {
  bellFile = work + L"bells";
  const std::wstring config = work + L"xkbevd.cf", pid = UnixPath(work + L"xkbevd.pid");
  const std::wstring rule = L"Bell() shell \\\"echo bell >> " + UnixPath(bellFile) + L"\\\"";
  Check(RunUnix(L"echo '" + rule + L"' > " + UnixPath(config) + L"; timeout 300 xkbevd -cfg " +
                UnixPath(config) + L" </dev/null >/dev/null 2>&1 & echo $! > " + pid),
        L"cannot start xkbevd");
  Check(WaitFor([] { return BellCount() > 0; }, 5000), L"xkbevd counts no bells");
  bellsAtStart = BellCount();
}
void StopBellCounter() {
  if (!bellFile.empty()) RunUnix(L"kill $(cat " + UnixPath(work + L"xkbevd.pid") + L")");
}
void ExpectBells(int count, const std::wstring& what) {
  WaitFor([&] { return BellCount() - bellsAtStart >= count; }, 3000);
  Sleep(300);  // for one too many
  Eq(BellCount() - bellsAtStart, count, what + L": beeps");
}

// --- message boxes ---------------------------------------------------------------

HWND WaitBox(const std::wstring& title, int ms) {
  HWND box = nullptr;
  WaitFor([&] { return (box = Top(title, kDialogClass)) != nullptr && IsWindowVisible(box); }, ms);
  return box;
}
std::wstring BoxText(HWND box) {
  for (HWND child : Children(box)) {
    if (ClassOf(child) == L"Static" && !Text(child).empty()) return Text(child);
  }
  return L"";
}
// Which standard icon the box shows: the shown pixels against each icon
// drawn here on the box's background, where the icon is opaque.
std::wstring BoxIcon(HWND box) {
  HWND icon = nullptr;
  for (HWND child : Children(box)) {
    if ((Style(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassOf(child) == L"Static") icon = child;
  }
  if (icon == nullptr) return L"none";
  const RECT at = Rect(icon, nullptr);
  const int size = GetSystemMetrics(SM_CXICON);
  std::wstring name = L"unknown";
  WaitFor([&] {
    const Grab shown(at.left, at.top, size, size);
    const std::pair<LPCWSTR, const wchar_t*> known[] = {
        {IDI_INFORMATION, L"information"}, {IDI_ERROR, L"error"}, {IDI_WARNING, L"warning"}, {IDI_QUESTION, L"question"}};
    for (const auto& k : known) {
      const Grab onBlack(LoadIconW(nullptr, k.first), size, RGB(0, 0, 0));
      const Grab onWhite(LoadIconW(nullptr, k.first), size, RGB(255, 255, 255));
      int opaque = 0, same = 0;
      for (int i = 0; i < size * size; ++i) {
        if (onBlack.pixels[i] != onWhite.pixels[i]) continue;
        ++opaque;
        same += shown.pixels[i] == onBlack.pixels[i] ? 1 : 0;
      }
      if (opaque > 0 && same * 10 >= opaque * 9) name = k.second;
    }
    return name != L"unknown";
  }, 2000);
  return name;
}
bool BoxOk(HWND box) {
  if (box == nullptr) return false;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return !IsWindow(box); }, 5000);
}

// Screen pixels, or an icon drawn on a plain background, as 0xRRGGBB.
Grab::Grab(int x, int y, int w, int h) : width(w), height(h) { Take(nullptr, x, y, 0); }
Grab::Grab(HICON icon, int size, COLORREF background) : width(size), height(size) { Take(icon, 0, 0, background); }
void Grab::Take(HICON icon, int x, int y, COLORREF background) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width, info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1, info.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  std::uint32_t* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  if (icon != nullptr) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  } else {
    HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, width, height, screen, x, y, SRCCOPY);
    ReleaseDC(nullptr, screen);
  }
  GdiFlush();
  for (int i = 0; i < width * height; ++i) pixels.push_back(bits[i] & 0xFFFFFF);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
// Written as a 32-bit top-down BMP, to look at.
void Grab::Save(const std::wstring& path) const {
  Bytes file{'B', 'M'};
  auto put = [&](std::uint32_t v, int n) { for (int i = 0; i < n; ++i) file.push_back(static_cast<std::uint8_t>(v >> 8 * i)); };
  put(54 + 4 * pixels.size(), 4), put(0, 4), put(54, 4), put(40, 4), put(width, 4), put(-height, 4);
  put(1, 2), put(32, 2), put(0, 24);
  for (std::uint32_t p : pixels) put(p, 4);
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
}

}  // namespace e2e

using namespace e2e;

int wmain(int argc, wchar_t** argv) {
  const std::map<std::wstring, void (*)()> groups = {
      {L"capture", GroupCapture}, {L"naming", GroupNaming}, {L"fname", GroupFname},
      {L"list", GroupList},       {L"close", GroupClose},   {L"single", GroupSingle},
      {L"values", GroupValues},   {L"viewers", GroupViewers}, {L"geometry", GroupGeometry}};
  if (argc != 2 || groups.count(argv[1]) == 0) {
    Say(L"usage: e2e_driver capture|naming|fname|list|close|single|values|viewers|geometry");
    return 2;
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  work = std::wstring(self).substr(0, std::wstring(self).rfind(L'\\')) + L"\\work\\";
  CreateDirectoryW(work.c_str(), nullptr);
  work += std::wstring(argv[1]) + L"\\";
  RemoveTree(work);
  out = work + L"out\\";
  baseDir = out;
  CreateDirectoryW(work.c_str(), nullptr);
  CreateDirectoryW(out.c_str(), nullptr);
  // No window manager on the test display: Wine would wait for one to
  // withdraw each hidden window. Pixkeeper's windows stay unmanaged.
  const wchar_t unmanaged[] = L"N";
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Pixkeeper.exe\\X11 Driver",
                  L"Managed", REG_SZ, unmanaged, sizeof unmanaged);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ViewerProc;
  windowClass.lpszClassName = L"E2eWindow";
  RegisterClassW(&windowClass);
  owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  RegClear();

  groups.at(argv[1])();

  // What is still running is asked to close, then ended.
  if (HWND main = Main()) PostMessageW(main, WM_CLOSE, 0, 0);
  for (HANDLE process : launched) {
    if (!Ended(process, 3000)) TerminateProcess(process, 1);
  }
  StopBellCounter();
  while (!viewers.empty()) LeaveViewer(viewers.begin()->first);
  RegClear();
  Say(std::wstring(argv[1]) + L": " + std::to_wstring(checks) + L" checks, " + std::to_wstring(failures) + L" failed");
  return failures == 0 ? 0 : 1;
}
