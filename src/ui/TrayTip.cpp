#include "ui/TrayTip.h"

#include "base/Texts.h"
#include "ui/StartUp.h"

namespace pixkeeper {

namespace {
// The window messages and shell notices the icon reports.
constexpr unsigned kContextMenu = 0x007B;    // WM_CONTEXTMENU: right click, Shift+F10, menu key
constexpr unsigned kLeftDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
constexpr unsigned kRightButtonUp = 0x0205;  // WM_RBUTTONUP
constexpr unsigned kKeySelect = 0x0401;      // NIN_KEYSELECT: Enter or Space on the icon
}  // namespace

std::wstring TrayTip(bool paused) { return paused ? Text(TextId::kPausedTip, {kProgramTitle}) : std::wstring(kProgramTitle); }

TrayAction TrayActionFor(unsigned notice, bool version4) {
  switch (notice) {
    case kLeftDoubleClick:
      return TrayAction::kShowWindow;
    case kKeySelect:
      return version4 ? TrayAction::kShowWindow : TrayAction::kNone;
    // Version 4 reports a right click as both; the menu opens once.
    case kContextMenu:
      return version4 ? TrayAction::kShowMenu : TrayAction::kNone;
    case kRightButtonUp:
      return version4 ? TrayAction::kNone : TrayAction::kShowMenu;
    default:
      return TrayAction::kNone;
  }
}

}  // namespace pixkeeper
