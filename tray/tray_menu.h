// The tray pop-up: a window's top-level menu unit shown at the pointer.
#pragma once

#include <string_view>

namespace shell {
class FormWindow;
}

namespace tray {

// Shows the entries of the window's menu unit `menu` at the mouse pointer and
// returns when the menu has closed. Shows nothing when the window is not
// loaded or the unit is not one of its menus with entries.
void PopupTrayMenu(shell::FormWindow& window, std::string_view menu);

}  // namespace tray
