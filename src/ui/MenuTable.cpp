#include "ui/MenuTable.h"

#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace pixkeeper {

const std::vector<Menu>& MainMenus() {
  using T = TextId;
  static const std::vector<Menu> menus = {
      {T::kMenuFile, L'F', {
          {ids::kProcOpenFolder, T::kMenuOpenFolder, L'O', L'O'},
          {ids::kProcEnd, T::kMenuQuit, L'Q', L'Q', true},
      }},
      {T::kMenuConfigure, L'C', {
          {ids::kSMenuDir, T::kMenuSaveDirectory, L'D', L'D'},
          {ids::kSMenuFname, T::kMenuFileNames, L'F', L'F'},
          {ids::kSMenuStartPosition, T::kMenuStartCentred, L'P', L'P', true},
          {ids::kSMenuStartMode, T::kMenuStartMinimised, L'I', L'I'},
          {ids::kSMenuViewMode, T::kMenuViewWithProgram, L'V', L'V'},
          {ids::kSMenuSaveFormat, T::kMenuSavePng, L'G', L'G'},
          {ids::kSMenuKeepClipboard, T::kMenuKeepClipboard, L'K', L'K'},
          {ids::kSMenuDayFolders, T::kMenuDayFolders, L'Y', L'Y'},
          {ids::kSMenuProgramFolders, T::kMenuProgramFolders, L'B', L'B'},
          {ids::kSMenuSkipRepeats, T::kMenuSkipRepeats, L'U', L'U'},
          {ids::kSMenuThumbnails, T::kMenuThumbnails, L'L', L'L'},
          {ids::kSMenuPause, T::kMenuPause, L'T', L'T', true},
          {ids::kSMenuStartWithWindows, T::kMenuStartWithWindows, L'W', 0},
      }},
      {T::kMenuHelp, L'H', {
          {ids::kSMenuHelpVersion, T::kMenuAbout, L'A', L'A'},
      }},
  };
  return menus;
}

const std::vector<MenuItem>& TrayMenuItems() {
  static const std::vector<MenuItem> items = {
      {ids::kTrayShow, TextId::kMenuShow, L'S', 0},
      {ids::kSMenuPause, TextId::kMenuPause, L'T', 0},
      {ids::kProcOpenFolder, TextId::kMenuOpenFolder, L'O', 0},
      {ids::kProcEnd, TextId::kMenuQuit, L'Q', 0, true},
  };
  return items;
}

std::wstring MenuItemLabel(const MenuItem& item) {
  std::wstring label = Text(item.text);
  if (item.ctrlKey != 0) label += std::wstring(L"\tCtrl+") + item.ctrlKey;
  return label;
}

}  // namespace pixkeeper
