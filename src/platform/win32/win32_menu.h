#pragma once
// The pop-up menu of a top-level menu item, built from the window's flat item list as it stands now,
// so check marks, greyed items and captions always show their current state.
#include <windows.h>

#include "gui/window.h"

namespace dida::win32 {

// Command identifiers: firstId + the item's index in Window::menuItems().
inline constexpr UINT kFirstMenuCommand = 0x2000;

// The items following `top` with a higher level: hidden ones left out (with what they open), "-" a
// separator, an item followed by a deeper one a submenu. The caller destroys the menu.
HMENU BuildPopupMenu(const Window& window, const MenuItem& top, UINT firstId = kFirstMenuCommand);

// The item a command identifier stands for, or nullptr.
MenuItem* MenuItemOfCommand(const Window& window, UINT id, UINT firstId = kFirstMenuCommand);

}  // namespace dida::win32
