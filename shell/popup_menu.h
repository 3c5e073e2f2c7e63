// Win32 pop-up menus from menu-unit entries.
#pragma once

#include <vector>

#include "shell/menu_rules.h"
#include "shell/win_handles.h"

namespace shell {

// Captions are GBK; they are shown through the wide functions.
UniqueMenu CreatePopupFrom(const std::vector<PopupEntry>& entries);

}  // namespace shell
