#include "shell/menu_rules.h"

namespace shell {

std::optional<std::vector<PopupEntry>> BuildPopup(const std::vector<MenuUnitView>& menus, std::size_t menu) {
    if (menu + 1 >= menus.size() || menus[menu + 1].level <= menus[menu].level) return std::nullopt;
    std::vector<PopupEntry> entries;
    for (std::size_t i = menu + 1; i < menus.size() && menus[i].level > menus[menu].level; ++i) {
        const MenuUnitView& entry = menus[i];
        if (!entry.visible) continue;
        entries.push_back({kFirstMenuCommand + static_cast<unsigned>(i), entry.caption, entry.disabled, entry.checked});
    }
    return entries;
}

std::optional<std::size_t> MenuPositionOf(unsigned commandId, std::size_t menuCount) {
    if (commandId >= kFirstSystemCommand || commandId < kFirstMenuCommand) return std::nullopt;
    const std::size_t position = commandId - kFirstMenuCommand;
    if (position >= menuCount) return std::nullopt;
    return position;
}

}  // namespace shell
