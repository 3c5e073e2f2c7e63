// A window's one notification-area icon: shown, replaced in place or removed,
// with the old icon handle destroyed every time, and put back after the shell
// restarts.
#pragma once

#include <windows.h>

#include <string>

#include "shell/icon_file.h"
#include "shell/win_handles.h"

namespace tray {

// The icon's identifier towards the shell, and the message the shell sends.
inline constexpr UINT kTrayIconId = 100;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 100;

class TrayIcon {
public:
    // Shows or replaces the icon made from icon-file bytes, or removes it when
    // no icon can be made from them. Returns whether an icon is shown now.
    bool Set(HWND window, shell::ByteView iconFile, const std::string* tooltip);

    // Takes the icon off the notification area, if one is shown.
    void Remove(HWND window);

    // Adds the current icon again, for a notification area that was re-created.
    void Restore(HWND window) const;

    bool Shown() const { return static_cast<bool>(icon_); }
    HICON Handle() const { return icon_.Get(); }

private:
    bool Replace(HWND window, shell::UniqueIcon icon, const std::string* tooltip);

    shell::UniqueIcon icon_;
    std::string tooltip_;  // GBK, already cut to fit
};

}  // namespace tray
