// Subcommands that look at and drive the windows of another process.

#include <cstdint>
#include <string>

#include "ProbeCommands.h"
#include "ProbeCommon.h"

namespace pixkeeper::probe {

namespace {

HWND RequireTop(const Args& args) {
  HWND window = FindTopWindow(QueryFromArgs(args));
  if (window == nullptr) PrintError(L"no window titled \"" + args.Positional(0) + L"\"");
  return window;
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') out += L"\\r";
    else if (c == L'\n') out += L"\\n";
    else out += c;
  }
  return out;
}

std::wstring Rect(const wchar_t* prefix, int x, int y, int w, int h) {
  return std::wstring(prefix) + L" " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" " +
         std::to_wstring(w) + L" " + std::to_wstring(h);
}

struct ChildListing {
  HWND top;
};

BOOL CALLBACK PrintChild(HWND child, LPARAM param) {
  HWND top = reinterpret_cast<ChildListing*>(param)->top;
  RECT rect{};
  GetWindowRect(child, &rect);
  POINT inTop[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  MapWindowPoints(nullptr, top, inTop, 2);
  HWND parent = GetParent(child);
  POINT inParent[1] = {{rect.left, rect.top}};
  MapWindowPoints(nullptr, parent, inParent, 1);
  std::wstring line = L"child id=" + std::to_wstring(GetDlgCtrlID(child)) +
                      L" class=" + WindowClass(child) +
                      L" x=" + std::to_wstring(inTop[0].x) + L" y=" + std::to_wstring(inTop[0].y) +
                      L" w=" + std::to_wstring(rect.right - rect.left) +
                      L" h=" + std::to_wstring(rect.bottom - rect.top) +
                      L" px=" + std::to_wstring(inParent[0].x) +
                      L" py=" + std::to_wstring(inParent[0].y) +
                      L" parent=" + (parent == top ? std::wstring(L"top")
                                                   : std::to_wstring(GetDlgCtrlID(parent))) +
                      L" style=" + Hex(static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE))) +
                      L" visible=" + (IsWindowVisible(child) ? L"1" : L"0") +
                      L" enabled=" + (IsWindowEnabled(child) ? L"1" : L"0") +
                      L" text=" + Escaped(WindowText(child));
  Print(line);
  return TRUE;
}

HWND RequireControl(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return nullptr;
  HWND control = FindControl(top, args);
  if (control == nullptr) PrintError(L"no such control");
  return control;
}

HWND WaitForMessageBox(const Args& args) {
  WindowQuery query = QueryFromArgs(args);
  query.className = L"#32770";
  HWND box = nullptr;
  if (!WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs), [&] {
        box = FindTopWindow(query);
        return box != nullptr && IsWindowVisible(box);
      })) {
    PrintError(L"no message box titled \"" + query.title + L"\"");
    return nullptr;
  }
  return box;
}

HWND FindListBox(HWND top) {
  wchar_t* argv[] = {const_cast<wchar_t*>(L"--class"), const_cast<wchar_t*>(L"ListBox")};
  return FindControl(top, Args(2, argv, 0));
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
  DWORD_PTR result = 0;
  LRESULT sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000,
                                     &result);
  if (ok != nullptr) *ok = sent != 0;
  return static_cast<LRESULT>(result);
}

std::wstring ListItem(HWND list, int index) {
  LRESULT length = SendBounded(list, LB_GETTEXTLEN, index, 0);
  if (length < 0) return L"";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = SendBounded(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
  return text;
}

int ListCount(HWND list) { return static_cast<int>(SendBounded(list, LB_GETCOUNT, 0, 0)); }

HWND RequireList(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return nullptr;
  HWND list = FindListBox(top);
  if (list == nullptr) PrintError(L"the window has no list box");
  return list;
}

// Selects entry INDEX (the second word) of the window's list; the caller
// then notifies the parent as the user's click does.
HWND SelectEntryOf(const Args& args) {
  HWND list = RequireList(args);
  if (list == nullptr) return nullptr;
  int index = ToInt(args.Positional(1));
  SendBounded(list, LB_SETCURSEL, index, 0);
  if (SendBounded(list, LB_GETCURSEL, 0, 0) != index) {
    PrintError(L"cannot select entry " + std::to_wstring(index));
    return nullptr;
  }
  return list;
}

WPARAM ListNotice(HWND list, WORD code) {
  return MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(list)), code);
}

// 32-bit pixels of a screen area, or of an icon drawn on a plain background.
class PixelGrab {
 public:
  PixelGrab(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~PixelGrab() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  PixelGrab(const PixelGrab&) = delete;
  PixelGrab& operator=(const PixelGrab&) = delete;

  void FromScreen(int x, int y) {
    HDC screen = GetDC(nullptr);
    BitBlt(dc_, 0, 0, width_, height_, screen, x, y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
  }
  void FromIcon(HICON icon, COLORREF background) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc_, 0, 0, icon, width_, height_, 0, nullptr, DI_NORMAL);
    GdiFlush();
  }
  std::uint32_t At(int i) const { return bits_[i] & 0xFFFFFF; }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

// Which standard icon a message box shows. Icons cannot be compared by handle
// across processes, so the shown pixels are compared with the standard icons
// drawn here, over the pixels that they cover whatever the background.
const wchar_t* MatchIcon(const RECT& shownAt) {
  struct Known { LPCWSTR id; const wchar_t* name; };
  const Known known[] = {{IDI_INFORMATION, L"information"}, {IDI_ERROR, L"error"},
                         {IDI_WARNING, L"warning"}, {IDI_QUESTION, L"question"}};
  const int size = GetSystemMetrics(SM_CXICON);
  PixelGrab shown(size, size);
  shown.FromScreen(shownAt.left, shownAt.top);
  for (const Known& k : known) {
    HICON icon = LoadIconW(nullptr, k.id);
    PixelGrab onBlack(size, size), onWhite(size, size);
    onBlack.FromIcon(icon, RGB(0, 0, 0));
    onWhite.FromIcon(icon, RGB(255, 255, 255));
    int opaque = 0, same = 0;
    for (int i = 0; i < size * size; ++i) {
      if (onBlack.At(i) != onWhite.At(i)) continue;
      ++opaque;
      if (shown.At(i) == onBlack.At(i)) ++same;
    }
    if (opaque > 0 && same * 10 >= opaque * 9) return k.name;
  }
  return nullptr;
}

std::wstring IconName(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) != L"Static" ||
        (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
      continue;
    }
    RECT rect{};
    GetWindowRect(child, &rect);
    // The box may not have painted its icon yet.
    const wchar_t* name = nullptr;
    WaitFor(2000, [&] { return (name = MatchIcon(rect)) != nullptr; });
    return name != nullptr ? name : L"unknown";
  }
  return L"none";
}

}  // namespace

int CmdWaitWindow(const Args& args) {
  WindowQuery query = QueryFromArgs(args);
  HWND found = nullptr;
  bool ok = WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs), [&] {
    found = FindTopWindow(query);
    return found != nullptr;
  });
  if (!ok) {
    PrintError(L"timed out waiting for \"" + query.title + L"\"");
    return 1;
  }
  Print(Hex(reinterpret_cast<std::uintptr_t>(found)));
  return 0;
}

int CmdWaitGone(const Args& args) {
  WindowQuery query = QueryFromArgs(args);
  bool ok = WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs),
                    [&] { return FindTopWindow(query) == nullptr; });
  if (!ok) PrintError(L"\"" + query.title + L"\" is still there");
  return ok ? 0 : 1;
}

int CmdCountWindows(const Args& args) {
  Print(std::to_wstring(FindTopWindows(QueryFromArgs(args)).size()));
  return 0;
}

int CmdWindowInfo(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return 1;
  RECT outer{};
  GetWindowRect(top, &outer);
  RECT client{};
  GetClientRect(top, &client);
  POINT origin{0, 0};
  ClientToScreen(top, &origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  Print(L"hwnd " + Hex(reinterpret_cast<std::uintptr_t>(top)));
  Print(L"class " + WindowClass(top));
  Print(L"pid " + std::to_wstring(pid));
  Print(Rect(L"rect", outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top));
  Print(Rect(L"client", origin.x, origin.y, client.right, client.bottom));
  Print(L"style " + Hex(static_cast<DWORD>(GetWindowLongPtrW(top, GWL_STYLE))));
  Print(L"exstyle " + Hex(static_cast<DWORD>(GetWindowLongPtrW(top, GWL_EXSTYLE))));
  Print(std::wstring(L"visible ") + (IsWindowVisible(top) ? L"1" : L"0"));
  Print(std::wstring(L"iconic ") + (IsIconic(top) ? L"1" : L"0"));
  Print(std::wstring(L"enabled ") + (IsWindowEnabled(top) ? L"1" : L"0"));
  Print(std::wstring(L"menu ") + (GetMenu(top) != nullptr ? L"1" : L"0"));
  HWND owner = GetWindow(top, GW_OWNER);
  Print(L"owner " + Hex(reinterpret_cast<std::uintptr_t>(owner)));
  ChildListing listing{top};
  EnumChildWindows(top, PrintChild, reinterpret_cast<LPARAM>(&listing));
  return 0;
}

// Waits until the window heads the clipboard viewer chain: the last step of
// the program's start-up.
int CmdWaitViewer(const Args& args) {
  WindowQuery query = QueryFromArgs(args);
  query.excludeDialogs = true;
  HWND found = nullptr;
  bool ok = WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs), [&] {
    found = FindTopWindow(query);
    return found != nullptr && GetClipboardViewer() == found;
  });
  if (!ok) {
    PrintError(L"\"" + query.title + L"\" is not heading the clipboard viewer chain");
    return 1;
  }
  Print(Hex(reinterpret_cast<std::uintptr_t>(found)));
  return 0;
}

int CmdClipboardViewer(const Args&) {
  HWND head = GetClipboardViewer();
  wchar_t title[512] = {};
  if (head != nullptr) GetWindowTextW(head, title, 512);
  Print(Hex(reinterpret_cast<std::uintptr_t>(head)) + L" " + title);
  return 0;
}

int CmdSetText(const Args& args) {
  HWND control = RequireControl(args);
  if (control == nullptr) return 1;
  const std::wstring& text = args.Positional(1);
  bool ok = false;
  SendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok);
  return ok ? 0 : 1;
}

// Presses a button of a dialog the way its keyboard or mouse would: the
// dialog gets WM_COMMAND with the button's id.
int CmdPress(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return 1;
  int id = ToInt(args.Positional(1));
  PostMessageW(top, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(top, id)));
  return 0;
}

// Creates and destroys a window, so that Wine's desktop process starts now,
// from a process whose output goes nowhere (it keeps the output handles of
// the process that started it open for as long as it runs).
int CmdDesktop(const Args&) {
  HWND window = CreateWindowExW(0, L"STATIC", L"pkprobe desktop", WS_OVERLAPPED, 0, 0, 1, 1,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 1;
  DestroyWindow(window);
  return 0;
}

int CmdXid(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return 1;
  auto xid = reinterpret_cast<std::uintptr_t>(GetPropW(top, L"__wine_x11_whole_window"));
  if (xid == 0) {
    PrintError(L"no X window recorded for the window");
    return 1;
  }
  Print(std::to_wstring(xid));
  return 0;
}

// The screen point at the middle of a control, for real mouse input.
int CmdControlPoint(const Args& args) {
  HWND control = RequireControl(args);
  if (control == nullptr) return 1;
  RECT rect{};
  GetWindowRect(control, &rect);
  Print(std::to_wstring((rect.left + rect.right) / 2) + L" " +
        std::to_wstring((rect.top + rect.bottom) / 2));
  return 0;
}

int CmdControlText(const Args& args) {
  HWND control = RequireControl(args);
  if (control == nullptr) return 1;
  Print(Escaped(WindowText(control)));
  return 0;
}

// The check state of a check box or option button.
int CmdButtonState(const Args& args) {
  HWND control = RequireControl(args);
  if (control == nullptr) return 1;
  Print(std::to_wstring(SendBounded(control, BM_GETCHECK, 0, 0)));
  return 0;
}

int CmdListItems(const Args& args) {
  HWND list = RequireList(args);
  if (list == nullptr) return 1;
  int count = ListCount(list);
  Print(L"count " + std::to_wstring(count));
  for (int i = 0; i < count; ++i) Print(ListItem(list, i));
  return 0;
}

int CmdListWait(const Args& args) {
  HWND list = RequireList(args);
  if (list == nullptr) return 1;
  int wanted = ToInt(args.Positional(1));
  int count = 0;
  bool ok = WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs), [&] {
    count = ListCount(list);
    return count >= wanted;
  });
  Print(std::to_wstring(count));
  return ok ? 0 : 1;
}

int CmdListSelect(const Args& args) {
  HWND list = SelectEntryOf(args);
  if (list == nullptr) return 1;
  bool ok = false;
  SendBounded(GetParent(list), WM_COMMAND, ListNotice(list, LBN_SELCHANGE),
              reinterpret_cast<LPARAM>(list), &ok);
  return ok ? 0 : 1;
}

// Posted, not sent: a double-click may open a modal message box.
int CmdListDoubleClick(const Args& args) {
  HWND list = SelectEntryOf(args);
  if (list == nullptr) return 1;
  PostMessageW(GetParent(list), WM_COMMAND, ListNotice(list, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  PostMessageW(GetParent(list), WM_COMMAND, ListNotice(list, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  return 0;
}

int CmdListPoint(const Args& args) {
  HWND list = RequireList(args);
  if (list == nullptr) return 1;
  int index = ToInt(args.Positional(1));
  RECT item{};
  if (SendBounded(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
    PrintError(L"no entry " + std::to_wstring(index));
    return 1;
  }
  POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &middle);
  Print(std::to_wstring(middle.x) + L" " + std::to_wstring(middle.y));
  return 0;
}

// Restores a minimised window, as a click on its task-bar button does.
int CmdRestore(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return 1;
  ShowWindowAsync(top, SW_RESTORE);
  return WaitFor(kDefaultTimeoutMs, [&] { return !IsIconic(top); }) ? 0 : 1;
}

int CmdClose(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return 1;
  PostMessageW(top, WM_CLOSE, 0, 0);
  return 0;
}

int CmdEndSession(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return 1;
  bool ok = false;
  LRESULT answer = SendBounded(top, WM_QUERYENDSESSION, 0, 0, &ok);
  Print(L"queryendsession " + std::wstring(ok ? std::to_wstring(answer) : L"no-answer"));
  if (!ok || answer == FALSE) return 1;
  // The program may end while it handles this one; that is the point.
  SendBounded(top, WM_ENDSESSION, TRUE, 0);
  return 0;
}

int CmdMessageBox(const Args& args) {
  HWND box = WaitForMessageBox(args);
  if (box == nullptr) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  Print(L"pid " + std::to_wstring(pid));
  Print(L"icon " + IconName(box));
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::wstring className = WindowClass(child);
    std::wstring text = WindowText(child);
    if (className == L"Static" && !text.empty()) Print(L"text " + Escaped(text));
    if (className == L"Button") {
      Print(L"button " + std::to_wstring(GetDlgCtrlID(child)) + L" " + Escaped(text));
    }
  }
  return 0;
}

int CmdMessageBoxOk(const Args& args) {
  HWND box = WaitForMessageBox(args);
  if (box == nullptr) return 1;
  HWND ok = GetDlgItem(box, IDOK);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  bool gone = WaitFor(kDefaultTimeoutMs, [&] { return !IsWindow(box); });
  if (!gone) PrintError(L"the message box did not close");
  return gone ? 0 : 1;
}

}  // namespace pixkeeper::probe
