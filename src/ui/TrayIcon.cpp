#include "ui/TrayIcon.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <vector>

#include "ui/ControlIds.h"
#include "ui/MenuBuilder.h"
#include "ui/PauseMark.h"

namespace pixkeeper {

namespace {

constexpr UINT kIconId = 1;

// The icon's pixels as 0xAARRGGBB, top row first.
std::vector<std::uint32_t> Pixels(HBITMAP bitmap, int size) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  win32::WindowDc screen(nullptr);
  if (bitmap == nullptr || ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(size), pixels.data(), &info,
                                       DIB_RGB_COLORS) != size) {
    pixels.clear();
  }
  return pixels;
}

// The icon with the pause mark, at the icon's own size.
win32::IconHandle PausedFrom(HICON icon, int size) {
  ICONINFO parts{};
  if (!::GetIconInfo(icon, &parts)) return {};
  win32::GdiObject color(parts.hbmColor), mask(parts.hbmMask);
  std::vector<std::uint32_t> pixels = Pixels(parts.hbmColor, size);
  if (pixels.empty()) return {};
  AlphaFromMask(pixels, Pixels(parts.hbmMask, size));
  DrawPauseMark(pixels, size);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win32::GdiObject marked(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::GdiObject noMask(::CreateBitmap(size, size, 1, 1, nullptr));
  if (!marked || !noMask || bits == nullptr) return {};
  std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
  ICONINFO made{TRUE, 0, 0, static_cast<HBITMAP>(noMask.get()), static_cast<HBITMAP>(marked.get())};
  return win32::IconHandle(::CreateIconIndirect(&made));
}

}  // namespace

TrayIcon::TrayIcon() : taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {}

void TrayIcon::Attach(HWND window, HINSTANCE instance, WORD iconResource) {
  window_ = window;
  // A program that runs with more rights than the shell still hears of it.
  if (taskbarCreated_ != 0) ::ChangeWindowMessageFilterEx(window, taskbarCreated_, MSGFLT_ALLOW, nullptr);
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  HICON loaded = nullptr;
  // Drawn from the icon's nearest larger image, not stretched from a smaller one.
  if (FAILED(::LoadIconMetric(instance, MAKEINTRESOURCEW(iconResource), LIM_SMALL, &loaded))) {
    loaded = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(iconResource), IMAGE_ICON, size, size, 0));
  }
  icon_.Reset(loaded);
  if (icon_) pausedIcon_ = PausedFrom(icon_.get(), size);
}

NOTIFYICONDATAW TrayIcon::Data(bool paused) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kNoticeMessage;
  data.hIcon = paused && pausedIcon_ ? pausedIcon_.get() : icon_.get();
  const std::wstring tip = TrayTip(paused);
  tip.copy(data.szTip, sizeof data.szTip / sizeof data.szTip[0] - 1);
  return data;
}

bool TrayIcon::Add(bool paused) {
  if (window_ == nullptr) return false;
  NOTIFYICONDATAW data = Data(paused);
  // Also when the taskbar is re-created: a new one knows none of the old icons.
  added_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  if (!added_) return false;
  data.uVersion = NOTIFYICON_VERSION_4;
  version4_ = ::Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
  return true;
}

void TrayIcon::ShowPaused(bool paused) {
  if (!added_) return;
  NOTIFYICONDATAW data = Data(paused);
  ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::Remove() {
  if (!added_) return;
  added_ = false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  ::Shell_NotifyIconW(NIM_DELETE, &data);
}

void TrayIcon::ShowMenu(WPARAM at, bool paused) const {
  win32::MenuHandle menu = BuildPopupMenu(TrayMenuItems(), paused ? ids::kSMenuPause : 0);
  if (!menu) return;
  ::SetMenuDefaultItem(menu.get(), ids::kTrayShow, FALSE);

  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (!version4_) ::GetCursorPos(&point);
  // Without the foreground the menu would stay open after a click elsewhere.
  ::SetForegroundWindow(window_);
  const UINT align = ::GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | align, point.x, point.y, window_, nullptr);
  ::PostMessageW(window_, WM_NULL, 0, 0);
}

}  // namespace pixkeeper
