#include "platform/win32/win32_menu.h"

#include <string>

#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

void Append(HMENU menu, const std::vector<PopupEntry>& entries, UINT firstId) {
    for (const PopupEntry& e : entries) {
        const MenuItem& item = *e.item;
        const std::wstring caption = Wide(item.RawCaption());
        UINT flags = MF_STRING;
        if (item.RawChecked()) flags |= MF_CHECKED;
        if (item.RawDisabled()) flags |= MF_GRAYED;
        if (e.opensSubmenu) {
            HMENU sub = CreatePopupMenu();
            Append(sub, e.submenu, firstId);
            AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
        } else if (e.separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, flags, firstId + static_cast<UINT>(e.index), caption.c_str());
        }
    }
}

}  // namespace

HMENU BuildPopupMenu(const std::vector<PopupEntry>& entries, UINT firstId) {
    HMENU menu = CreatePopupMenu();
    Append(menu, entries, firstId);
    return menu;
}

HMENU BuildPopupMenu(const Window& window, const MenuItem& top, UINT firstId) {
    return BuildPopupMenu(PopupOf(window, top), firstId);
}

MenuItem* MenuItemOfCommand(const Window& window, UINT id, UINT firstId) {
    if (id < firstId) return nullptr;
    const std::vector<MenuItem*> items = window.menuItems();
    const std::size_t index = id - firstId;
    return index < items.size() ? items[index] : nullptr;
}

}  // namespace dida::win32
