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

// Marks the window's pop-up as open for as long as its modal loop runs.
class OpenPopup {
public:
    explicit OpenPopup(shell::FormWindow& window) : window_(window) { window_.SetPopupOpen(true); }
    ~OpenPopup() { window_.SetPopupOpen(false); }
    OpenPopup(const OpenPopup&) = delete;
    OpenPopup& operator=(const OpenPopup&) = delete;

private:
    shell::FormWindow& window_;
};

}  // namespace

void PopupTrayMenu(shell::FormWindow& window, std::string_view menu) {
    if (!window.Alive()) return;
    if (window.PopupOpen()) {
        // A callback that arrives inside the open menu's loop (the second
        // click of a double-click) opens no menu on top of it, as Windows
        // allows one per thread. That click made the shell the foreground;
        // taking it back keeps the open menu's keyboard and outside clicks.
        SetForegroundWindow(window.Handle());
        return;
    }
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
    const OpenPopup open(window);
    TrackPopupMenu(popup.Get(), TPM_RIGHTALIGN, pointer.x - kPointerOffset, pointer.y - kPointerOffset, 0,
                   window.Handle(), nullptr);
    // Lets the menu close properly when the next click goes elsewhere.
    PostMessageW(window.Handle(), WM_NULL, 0, 0);
}

}  // namespace tray
