#include "ui/ThumbnailList.h"

#include <algorithm>
#include <vector>

#include "base/RuntimeError.h"
#include "platform/win32/Handles.h"
#include "ui/ControlText.h"
#include "ui/ScreenGeometry.h"

namespace pixkeeper {

namespace {

// The small pictures' box and the margin around it at 96 DPI.
constexpr int kBoxWidth = 64, kBoxHeight = 48, kMargin = 2;

constexpr DWORD kPlainStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY;
// Drawn by the program, each entry still holding its path as its text; the
// list keeps its height rather than shrinking to whole entries this tall.
constexpr DWORD kDrawnStyle = kPlainStyle | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;

struct VirtualBlockTraits {
  using Value = void*;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::VirtualFree(value, 0, MEM_RELEASE); }
};

std::wstring EntryText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length == 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

}  // namespace

// Memory of its own, away from the shared heap, where under Wine the copies
// of clipboard pictures come and go and long-lived blocks between them keep
// it from being reused. Taken at the first small picture; its pages count
// only once written.
struct ThumbnailList::Memory {
  win32::UniqueResource<VirtualBlockTraits> block{
      ::VirtualAlloc(nullptr, kStoreBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)};
};

ThumbnailList::ThumbnailList() = default;
ThumbnailList::~ThumbnailList() = default;

HWND ThumbnailList::Create(HWND parent, int id, HFONT font) {
  parent_ = parent, id_ = id, font_ = font;
  list_ = MakeListBox(RECT{0, 0, 0, 0});
  return list_;
}

HWND ThumbnailList::MakeListBox(const RECT& at) const {
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", showing_ ? kDrawnStyle : kPlainStyle, at.left,
                              at.top, at.right - at.left, at.bottom - at.top, parent_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) throw RuntimeError(error::kOutOfMemory);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (showing_) SendMessageW(list, LB_SETITEMHEIGHT, 0, ItemHeight());
  return list;
}

int ThumbnailList::Scaled(int pixels) const { return MulDiv(pixels, CurrentDpi().y, 96); }

int ThumbnailList::ItemHeight() const { return Scaled(kBoxHeight) + 2 * Scaled(kMargin); }

int ThumbnailList::TextLeft() const { return showing_ ? Scaled(kBoxWidth) + 2 * Scaled(kMargin) : 0; }

void ThumbnailList::SetExtent() const {
  const int extent = widestText_ == 0 ? 0 : widestText_ + TextLeft();
  SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
}

ThumbnailLook ThumbnailList::Look() const {
  if (!showing_) return {};
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  return {{Scaled(kBoxWidth), Scaled(kBoxHeight)},
          static_cast<std::uint32_t>(GetRValue(window)) << 16 | GetGValue(window) << 8 | GetBValue(window)};
}

void ThumbnailList::ShowThumbnails(bool show) {
  if (show == showing_ || list_ == nullptr) return;
  showing_ = show;
  HWND old = list_;
  RECT at{};
  GetWindowRect(old, &at);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&at), 2);
  HWND fresh = MakeListBox(at);
  SendMessageW(fresh, WM_SETREDRAW, FALSE, 0);
  const LRESULT count = SendMessageW(old, LB_GETCOUNT, 0, 0);
  SendMessageW(fresh, LB_INITSTORAGE, static_cast<WPARAM>(std::max<LRESULT>(count, 0)), 0);
  for (int i = 0; i < count; ++i) {
    const std::wstring text = EntryText(old, i);
    const LRESULT added = SendMessageW(fresh, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(fresh, LB_SETITEMDATA, static_cast<WPARAM>(added), SendMessageW(old, LB_GETITEMDATA, i, 0));
  }
  SendMessageW(fresh, LB_SETCURSEL, SendMessageW(old, LB_GETCURSEL, 0, 0), 0);
  SendMessageW(fresh, LB_SETTOPINDEX, SendMessageW(old, LB_GETTOPINDEX, 0, 0), 0);
  const bool focused = GetFocus() == old;
  list_ = fresh;
  SetExtent();
  SendMessageW(fresh, WM_SETREDRAW, TRUE, 0);
  SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  DestroyWindow(old);
  if (focused) SetFocus(fresh);
  InvalidateRect(fresh, nullptr, TRUE);
}

void ThumbnailList::Append(const std::wstring& path, const ThumbnailView& thumbnail) {
  std::uint64_t key = 0;
  if (!thumbnail.empty()) {
    if (!store_) {
      auto memory = std::make_unique<Memory>();
      if (memory->block) {
        store_ = std::make_unique<ThumbnailStore>(static_cast<std::uint8_t*>(memory->block.get()), kStoreBytes);
        memory_ = std::move(memory);
      }
    }
    if (store_) key = store_->Add(thumbnail);
  }
  const LRESULT index = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  if (index >= 0) SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(key));
  // Long paths can be scrolled into view sideways.
  const int width = TextWidth(list_, font_, path);
  if (width > widestText_) {
    widestText_ = width;
    SetExtent();
  }
}

bool ThumbnailList::Measure(MEASUREITEMSTRUCT& item) const {
  if (item.CtlType != ODT_LISTBOX || static_cast<int>(item.CtlID) != id_) return false;
  item.itemHeight = static_cast<UINT>(ItemHeight());
  return true;
}

bool ThumbnailList::Draw(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_LISTBOX || static_cast<int>(item.CtlID) != id_) return false;
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    return true;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const std::wstring path = EntryText(item.hwndItem, static_cast<int>(item.itemID));

  // A picture dropped for newer ones, or whose file is gone, leaves the path alone.
  const ThumbnailView small = store_ ? store_->Find(item.itemData) : ThumbnailView{};
  if (!small.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), small.width, -small.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const int left = rc.left + Scaled(kMargin) + (Scaled(kBoxWidth) - small.width) / 2;
    const int top = rc.top + (rc.bottom - rc.top - small.height) / 2;
    SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(small.width), static_cast<DWORD>(small.height), 0, 0, 0,
                      static_cast<UINT>(small.height), small.pixels, &info, DIB_RGB_COLORS);
  }

  win32::SelectedObject font(dc, font_);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  RECT text = rc;
  text.left += TextLeft() + Scaled(kMargin);
  DrawTextW(dc, path.c_str(), static_cast<int>(path.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
  return true;
}

}  // namespace pixkeeper
