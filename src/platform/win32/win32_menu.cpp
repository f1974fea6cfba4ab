#include "platform/win32/win32_menu.h"

#include <string>
#include <vector>

#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

// Appends the items of one level, starting at `i`, to `menu`; returns the index after them.
std::size_t AppendLevel(HMENU menu, const std::vector<MenuItem*>& items, std::size_t i, int level, UINT firstId) {
    while (i < items.size() && items[i]->level() >= level) {
        const MenuItem& item = *items[i];
        if (item.level() > level) {  // deeper items under a hidden opener: not shown with it
            ++i;
            continue;
        }
        const std::size_t self = i++;
        const bool opensSubmenu = i < items.size() && items[i]->level() > level;
        if (!item.RawShown()) continue;
        const std::wstring caption = Wide(item.RawCaption());
        UINT flags = MF_STRING;
        if (item.RawChecked()) flags |= MF_CHECKED;
        if (item.RawDisabled()) flags |= MF_GRAYED;
        if (opensSubmenu) {
            HMENU sub = CreatePopupMenu();
            i = AppendLevel(sub, items, i, items[i]->level(), firstId);
            AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
        } else if (item.RawCaption() == "-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, flags, firstId + static_cast<UINT>(self), caption.c_str());
        }
    }
    return i;
}

}  // namespace

HMENU BuildPopupMenu(const Window& window, const MenuItem& top, UINT firstId) {
    const std::vector<MenuItem*> items = window.menuItems();
    HMENU menu = CreatePopupMenu();
    std::size_t start = 0;
    while (start < items.size() && items[start] != &top) ++start;
    if (start + 1 < items.size() && items[start + 1]->level() > top.level())
        AppendLevel(menu, items, start + 1, items[start + 1]->level(), firstId);
    return menu;
}

MenuItem* MenuItemOfCommand(const Window& window, UINT id, UINT firstId) {
    if (id < firstId) return nullptr;
    const std::vector<MenuItem*> items = window.menuItems();
    const std::size_t index = id - firstId;
    return index < items.size() ? items[index] : nullptr;
}

}  // namespace dida::win32
