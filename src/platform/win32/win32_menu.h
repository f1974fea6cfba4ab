#pragma once
// The native pop-up menu of a menu item.
#include <windows.h>

#include <vector>

#include "gui/menu_tree.h"

namespace dida::win32 {

// Command identifiers: firstId + the item's index in Window::menuItems().
inline constexpr UINT kFirstMenuCommand = 0x2000;

// The native pop-up of the entries (gui/menu_tree.h): captions, check marks, greyed items, separators and
// submenus. The caller destroys the menu.
HMENU BuildPopupMenu(const std::vector<PopupEntry>& entries, UINT firstId = kFirstMenuCommand);
// The same for the pop-up of `top` as its window's items stand now.
HMENU BuildPopupMenu(const Window& window, const MenuItem& top, UINT firstId = kFirstMenuCommand);

// The item a command identifier stands for, or nullptr.
MenuItem* MenuItemOfCommand(const Window& window, UINT id, UINT firstId = kFirstMenuCommand);

}  // namespace dida::win32
