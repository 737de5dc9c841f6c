// Subcommands that read and click the list box of a window of another
// process.

#include <cstdint>
#include <string>

#include "ProbeCommands.h"
#include "ProbeCommon.h"

namespace pixkeeper::probe {

namespace {

constexpr int kListSearchMs = 2000;

BOOL CALLBACK TakeFirstListBox(HWND child, LPARAM param) {
  if (_wcsicmp(WindowClass(child).c_str(), L"ListBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(param) = child;
  return FALSE;
}

HWND FindListBox(HWND top) {
  HWND found = nullptr;
  EnumChildWindows(top, TakeFirstListBox, reinterpret_cast<LPARAM>(&found));
  return found;
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

// While a modal box of the program closes, the window found by title can
// for a moment be one that is going away; the search is read-only, so it is
// repeated for a short, bounded time before it counts as failed.
HWND RequireList(const Args& args) {
  const WindowQuery query = QueryFromArgs(args);
  HWND list = nullptr;
  WaitFor(kListSearchMs, [&] {
    for (HWND top : FindTopWindows(query)) {
      list = FindListBox(top);
      if (list != nullptr) return true;
    }
    return false;
  });
  if (list == nullptr) PrintError(L"no window titled \"" + query.title + L"\" with a list box");
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

}  // namespace

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

}  // namespace pixkeeper::probe
