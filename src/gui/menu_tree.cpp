#include "gui/menu_tree.h"

#include "platform/fatal.h"

namespace dida {
namespace {

// Collects the items of one level, starting at `i`, into `out`; returns the index after them.
std::size_t CollectLevel(std::vector<PopupEntry>& out, const std::vector<MenuItem*>& items, std::size_t i, int level) {
    while (i < items.size() && items[i]->level() >= level) {
        MenuItem& item = *items[i];
        if (item.level() > level) {  // deeper items under a hidden opener: not shown with it
            ++i;
            continue;
        }
        const std::size_t self = i++;
        const bool opens = i < items.size() && items[i]->level() > level;
        PopupEntry entry{&item, static_cast<int>(self), false, opens, {}};
        if (opens) i = CollectLevel(entry.submenu, items, i, items[i]->level());
        if (!item.RawVisible()) continue;
        entry.separator = !opens && item.IsSeparator();
        out.push_back(std::move(entry));
    }
    return i;
}

}  // namespace

std::vector<PopupEntry> PopupOf(const Window& owner, const MenuItem& top) {
    if (!owner.loaded()) FatalError(kErrNotLoaded);
    if (top.window() != &owner) FatalError(kErrNoSuchWindow);
    const std::vector<MenuItem*> items = owner.menuItems();
    std::size_t start = 0;
    while (start < items.size() && items[start] != &top) ++start;
    std::vector<PopupEntry> entries;
    if (start + 1 < items.size() && items[start + 1]->level() > top.level())
        CollectLevel(entries, items, start + 1, items[start + 1]->level());
    return entries;
}

}  // namespace dida
