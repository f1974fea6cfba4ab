#pragma once
// What the pop-up of a menu item shows, built from its window's flat item list as the items stand now, so
// check marks, greyed items and captions always show their current state. Each desktop turns it into its own
// pop-up: the Windows one into a native menu, the simulated one into its record.
#include <vector>

#include "gui/window.h"

namespace dida {

struct PopupEntry {
    MenuItem* item = nullptr;
    int index = -1;  // the item's place in Window::menuItems(), by which a choice names it
    bool separator = false;
    bool opensSubmenu = false;
    std::vector<PopupEntry> submenu;  // what it opens, hidden items left out
};

// The items following `top` with a higher level: hidden ones left out (with what they open), "-" a
// separator, an item followed by a deeper one a submenu. A window that is not loaded, or an item of another
// window, is the fatal error.
std::vector<PopupEntry> PopupOf(const Window& owner, const MenuItem& top);

}  // namespace dida
