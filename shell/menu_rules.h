// Menu units as menus: which units make a pop-up (for the menu bar and the
// tray alike) and which menu unit a WM_COMMAND identifier names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace shell {

// A menu unit as the pop-up sees it, in the window's stored order.
struct MenuUnitView {
    std::string caption;
    long long level = 0;
    bool visible = true;
    bool disabled = false;
    bool checked = false;
};

struct PopupEntry {
    unsigned commandId = 0;
    std::string caption;
    bool grayed = false;
    bool checked = false;
};

// Menu entries are identified by this plus their position among the menu units.
inline constexpr unsigned kFirstMenuCommand = 20000;
// Identifiers from here on belong to the system.
inline constexpr unsigned kFirstSystemCommand = 0xE100;

// The entries of a pop-up for the menu at `menu`, or nothing when that menu
// has no entries (it is the last unit, or the next unit is not deeper).
// Hidden entries are left out.
std::optional<std::vector<PopupEntry>> BuildPopup(const std::vector<MenuUnitView>& menus, std::size_t menu);

// The position among the menu units that a WM_COMMAND identifier names.
std::optional<std::size_t> MenuPositionOf(unsigned commandId, std::size_t menuCount);

}  // namespace shell
