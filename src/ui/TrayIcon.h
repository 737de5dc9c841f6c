#pragma once
// The program's icon in the notification area: added at start, again when
// the taskbar is re-created, and removed when the window goes (the system
// destroys every window of the program however it ends). Its shortcut menu
// sends its commands to the window as the menu bar does.

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Handles.h"
#include "ui/TrayTip.h"

namespace pixkeeper {

class TrayIcon {
 public:
  // The window hears of the icon's clicks as this message: the notice in
  // the low word of lParam, the point clicked in wParam.
  static constexpr UINT kNoticeMessage = WM_APP + 0x52;

  TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  // Loads both icons at the system's small-icon size for the window's DPI.
  void Attach(HWND window, HINSTANCE instance, WORD iconResource);
  // Adds the icon; false when the shell refused it (no taskbar yet).
  bool Add(bool paused);
  void ShowPaused(bool paused);
  void Remove();

  // The message every top-level window gets when the taskbar is re-created.
  bool IsTaskbarCreated(UINT message) const { return message != 0 && message == taskbarCreated_; }
  TrayAction ActionFor(LPARAM notice) const { return TrayActionFor(LOWORD(notice), version4_); }
  // The shortcut menu at the point of the notice (or of the pointer, for
  // the older notices); its choice arrives as WM_COMMAND.
  void ShowMenu(WPARAM at, bool paused) const;

 private:
  NOTIFYICONDATAW Data(bool paused) const;

  HWND window_ = nullptr;
  UINT taskbarCreated_ = 0;
  win32::IconHandle icon_;
  win32::IconHandle pausedIcon_;
  bool added_ = false;
  bool version4_ = false;
};

}  // namespace pixkeeper
