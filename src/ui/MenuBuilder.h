#pragma once
// Menus and Ctrl keys made from the menu tables, in the current language.

#include <windows.h>

#include <vector>

#include "platform/win32/Handles.h"
#include "ui/MenuTable.h"

namespace pixkeeper {

// The main window's menu bar; the window that takes it destroys it.
HMENU BuildMenuBar(const std::vector<Menu>& menus);
// A pop-up menu of `items`; `checkedId` (if not 0) carries a check mark.
win32::MenuHandle BuildPopupMenu(const std::vector<MenuItem>& items, int checkedId = 0);
// Ctrl with each item's key, for the items that have one.
win32::AcceleratorTable BuildAccelerators(const std::vector<Menu>& menus);

}  // namespace pixkeeper
