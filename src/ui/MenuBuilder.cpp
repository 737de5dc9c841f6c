#include "ui/MenuBuilder.h"

#include "base/Texts.h"

namespace pixkeeper {

namespace {

void AppendItems(HMENU menu, const std::vector<MenuItem>& items, bool withKeys, int checkedId) {
  for (const MenuItem& item : items) {
    if (item.separatorBefore) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const std::wstring label = withKeys ? MenuItemLabel(item) : Text(item.text);
    const UINT checked = checkedId != 0 && item.id == checkedId ? MF_CHECKED : MF_UNCHECKED;
    AppendMenuW(menu, MF_STRING | checked, static_cast<UINT_PTR>(item.id), label.c_str());
  }
}

}  // namespace

HMENU BuildMenuBar(const std::vector<Menu>& menus) {
  HMENU bar = CreateMenu();
  for (const Menu& menu : menus) {
    HMENU popup = CreatePopupMenu();
    AppendItems(popup, menu.items, true, 0);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Text(menu.title).c_str());
  }
  return bar;
}

win32::MenuHandle BuildPopupMenu(const std::vector<MenuItem>& items, int checkedId) {
  win32::MenuHandle menu(CreatePopupMenu());
  if (menu) AppendItems(menu.get(), items, false, checkedId);
  return menu;
}

win32::AcceleratorTable BuildAccelerators(const std::vector<Menu>& menus) {
  std::vector<ACCEL> entries;
  for (const Menu& menu : menus) {
    for (const MenuItem& item : menu.items) {
      if (item.ctrlKey == 0) continue;
      entries.push_back({FVIRTKEY | FCONTROL, static_cast<WORD>(item.ctrlKey), static_cast<WORD>(item.id)});
    }
  }
  return win32::AcceleratorTable(CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size())));
}

}  // namespace pixkeeper
