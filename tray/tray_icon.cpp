#include "tray/tray_icon.h"

#include <shellapi.h>

#include "shell/gbk_text.h"
#include "shell/icon_from_file.h"
#include "tray/tray_rules.h"

namespace tray {
namespace {

// A fresh, zeroed record for every call, in the first layout every shell knows.
NOTIFYICONDATAW Record(HWND window) {
    NOTIFYICONDATAW record = {};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    return record;
}

NOTIFYICONDATAW ShowRecord(HWND window, HICON icon, const std::string& tooltip) {
    NOTIFYICONDATAW record = Record(window);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
    const std::wstring tip = shell::WideFromGbk(tooltip);
    tip.copy(record.szTip, std::size(record.szTip) - 1);
    return record;
}

}  // namespace

bool TrayIcon::Set(HWND window, shell::ByteView iconFile, const std::string* tooltip) {
    shell::UniqueIcon icon;
    if (iconFile.size != 0) {
        icon = shell::CreateIconFromFile(iconFile, 16);
        if (!icon) icon = shell::CreateIconFromFile(iconFile, 32);
    }
    return Replace(window, std::move(icon), tooltip);
}

void TrayIcon::Remove(HWND window) { Replace(window, shell::UniqueIcon(), nullptr); }

bool TrayIcon::Replace(HWND window, shell::UniqueIcon icon, const std::string* tooltip) {
    const std::string tip = tooltip != nullptr ? CutTooltip(*tooltip) : std::string();
    bool shown = false;
    if (icon_ && icon) {
        NOTIFYICONDATAW record = ShowRecord(window, icon.Get(), tip);
        // A shell that lost the icon refuses the change; it takes it anew.
        shown = Shell_NotifyIconW(NIM_MODIFY, &record) || Shell_NotifyIconW(NIM_ADD, &record);
    } else if (icon_) {
        NOTIFYICONDATAW record = Record(window);
        Shell_NotifyIconW(NIM_DELETE, &record);
    } else if (icon) {
        NOTIFYICONDATAW record = ShowRecord(window, icon.Get(), tip);
        shown = Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
    }
    // The old handle goes in every case; a refused icon is not kept either.
    icon_ = shown ? std::move(icon) : shell::UniqueIcon();
    tooltip_ = shown ? tip : std::string();
    return shown;
}

void TrayIcon::Restore(HWND window) const {
    if (!icon_) return;
    NOTIFYICONDATAW record = ShowRecord(window, icon_.Get(), tooltip_);
    Shell_NotifyIconW(NIM_ADD, &record);
}

}  // namespace tray
