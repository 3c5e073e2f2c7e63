#include "tray/tray_menu.h"

#include <windows.h>

#include "shell/form_window.h"
#include "shell/menu_rules.h"
#include "shell/popup_menu.h"
#include "shell/win_handles.h"

namespace tray {
namespace {

// The pop-up's right edge and top edge sit this far from the pointer.
constexpr int kPointerOffset = 5;

}  // namespace

void PopupTrayMenu(shell::FormWindow& window, std::string_view menu) {
    if (!window.Alive()) return;
    const auto position = window.MenuPosition(menu);
    if (!position) return;
    const auto entries = shell::BuildPopup(window.MenuViews(), *position);
    if (!entries) return;

    const shell::UniqueMenu popup = shell::CreatePopupFrom(*entries);
    if (!popup) return;
    POINT pointer = {};
    GetCursorPos(&pointer);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(window.Handle());
    TrackPopupMenu(popup.Get(), TPM_RIGHTALIGN, pointer.x - kPointerOffset, pointer.y - kPointerOffset, 0,
                   window.Handle(), nullptr);
    // Lets the menu close properly when the next click goes elsewhere.
    PostMessageW(window.Handle(), WM_NULL, 0, 0);
}

}  // namespace tray
