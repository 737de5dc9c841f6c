// Subcommands that look at and drive the windows of another process.

#include <cstdint>
#include <string>

#include "ProbeCommands.h"
#include "ProbeCommon.h"

namespace pixkeeper::probe {

namespace {

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
  // With --cancelled another program refused, and the session goes on.
  // Otherwise the program may end while it handles this one; that is the point.
  SendBounded(top, WM_ENDSESSION, args.Has(L"cancelled") ? FALSE : TRUE, 0);
  return 0;
}

}  // namespace pixkeeper::probe
