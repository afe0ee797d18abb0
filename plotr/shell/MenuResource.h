#pragma once
// The module's menu (resource 152): four popups shown by the menu bar view. Id 0 is a separator.

#include <vector>

struct MenuItemDef {
  int id;
  const char* text;
};

struct MenuPopupDef {
  const char* title;
  std::vector<MenuItemDef> items;
};

const std::vector<MenuPopupDef>& ModuleMenu();
