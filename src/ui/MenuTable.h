#pragma once
// The menus as tables: the menu bar and the notification-area icon's menu
// are built from these rows, and so are the Ctrl keys. A new option is a row.

#include <string>
#include <vector>

#include "base/TextId.h"

namespace pixkeeper {

struct MenuItem {
  int id;                // the command
  TextId text;           // its label, with its access letter marked by "&"
  wchar_t accessLetter;  // the same in every language
  wchar_t ctrlKey;       // the letter that runs it with Ctrl; 0 for none
  bool separatorBefore = false;
};

struct Menu {
  TextId title;
  wchar_t accessLetter;
  std::vector<MenuItem> items;
};

const std::vector<Menu>& MainMenus();
// The icon's menu: the commands a user wants without the window.
const std::vector<MenuItem>& TrayMenuItems();

// The label as the menu shows it: the text, then a tab and "Ctrl+X".
std::wstring MenuItemLabel(const MenuItem& item);

}  // namespace pixkeeper
