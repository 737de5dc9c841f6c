// The harness's eyes and hands on windows: finding them, reading their
// controls, keys and clicks, message boxes, screenshots, dialogs.
#pragma once

#include "HarnessBase.h"

namespace e2e {

inline HWND Top(const wstring& title, const wchar_t* cls) {  // a visible one
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, title.c_str())) != nullptr;) {
    if (IsWindowVisible(w)) return w;
  }
  return nullptr;
}
inline HWND WaitTop(const wstring& title, const wchar_t* cls = kBox) {
  HWND found = nullptr;
  WaitFor([&] { return (found = Top(title, cls)) != nullptr; }, 10000);
  return found;
}
inline HWND Main() { return FindWindowW(kMainClass, kMain); }
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}
inline void SetText(HWND window, const wchar_t* text) { Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
inline wstring Text(HWND window) {
  wstring text(Send(window, WM_GETTEXTLENGTH) + 1, L'\0');
  text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}
inline wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}
inline RECT Rect(HWND window, HWND in = nullptr) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
inline RECT Client(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
inline wstring Size(const RECT& r) { return to_wstring(r.right - r.left) + L"x" + to_wstring(r.bottom - r.top); }
inline wstring Place(const RECT& r) { return to_wstring(r.left) + L"," + to_wstring(r.top) + L" " + Size(r); }
inline LONG Style(HWND window, int which = GWL_STYLE) { return static_cast<LONG>(GetWindowLongPtrW(window, which)); }
inline wstring Centred(HWND window) {  // across, and 300 twips above the middle of 1280 x 1024
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
inline void Keys(HWND window, std::initializer_list<WORD> keys) {
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
inline void Click(HWND button) { Send(button, BM_CLICK); }
// A menu command of the main window, done when this returns.
inline void Command(int id) { Send(Main(), WM_COMMAND, static_cast<WPARAM>(id)); }
inline HWND Focus(HWND window) {  // of the window's thread
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

inline HWND List() { return GetDlgItem(Main(), 1001); }
inline int ListCount() { return static_cast<int>(Send(List(), LB_GETCOUNT)); }
inline wstring Status() { return Text(GetDlgItem(Main(), 1002)); }  // the main window's status line
inline wstring ListEntry(int index, HWND list = List()) {
  wstring text(Send(list, LB_GETTEXTLEN, index) + 1, L'\0');
  text.resize(std::max<LRESULT>(0, Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}
// A click (or double-click) on an entry, as the list box gets it.
inline void ListClick(int index, bool twice = false, HWND list = List()) {
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
inline std::vector<std::uint32_t> Grab(const RECT& r, const std::function<void(HDC)>& draw = nullptr) {
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
inline Bytes Rgb(const std::vector<std::uint32_t>& pixels) {  // R,G,B each
  Bytes rgb;
  for (std::uint32_t p : pixels) rgb.insert(rgb.end(), {BYTE(p >> 16), BYTE(p >> 8), BYTE(p)});
  return rgb;
}
// A message box's text and which standard icon it shows: the one that,
// drawn on the box's background, gives the pixels shown.
inline wstring BoxSays(HWND box) {
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
inline bool BoxOk(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return box != nullptr && WaitFor([&] { return !IsWindow(box); });
}
// The box titled so says this with this icon; `meanwhile` runs while it is
// up; then OK closes it.
inline bool Says(const wstring& title, const wstring& want, const wstring& what,
          const std::function<void()>& meanwhile = [] {}) {
  HWND box = WaitTop(title);
  Eq(BoxSays(box), want, what);
  meanwhile();
  return Check(BoxOk(box), what + L": OK closes the box");
}
// The screen under a window, saved to look at (in work\screenshots); a
// window with text drawn in it has many shades, an empty one a few.
inline std::vector<std::uint32_t> Screenshot(HWND window, const wstring& name) {
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
inline std::vector<std::uint32_t> LaidOut(HWND window, const wstring& name, const wstring& want) {
  wstring all = Size(Client(window)) + L"\n";
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    all += ClassOf(c) + L" " + Text(c) + L" " + Place(Rect(c, window)) + L"\n";
  }
  Eq(all, want, name + L": client area, controls");
  return Screenshot(window, name);
}

// --- dialogs and the screen -------------------------------------------------------

// Opened by its shortcut from the main window: centred, no task-bar button,
// a close box only; Enter and Esc leave it open.
inline HWND OpenDialog(WORD key, const wstring& title, const wchar_t* cls) {
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
inline HWND OpenFname() { return OpenDialog('F' | kCtrl, FnameTitle(), L"PixkeeperFname"); }
inline void SetDpi(int dpi) {
  const DWORD value = static_cast<DWORD>(dpi);
  Check(RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &value, sizeof value) ==
            ERROR_SUCCESS, L"cannot set the screen's DPI");
}

// Pixkeeper's open shortcut menu.
inline HWND PopupMenu() {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (IsWindowVisible(w) && process == GetProcessId(pk)) return w;
  }
  return nullptr;
}
// The notice the shell sends for a click on the icon, at a point on the screen.
inline void Notice(UINT what) { PostMessageW(Main(), WM_APP + 0x52, MAKEWPARAM(600, 500), MAKELPARAM(what, 1)); }

}  // namespace e2e
