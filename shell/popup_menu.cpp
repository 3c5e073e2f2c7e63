#include "shell/popup_menu.h"

#include "shell/gbk_text.h"

namespace shell {

UniqueMenu CreatePopupFrom(const std::vector<PopupEntry>& entries) {
    UniqueMenu popup(CreatePopupMenu());
    if (!popup) return popup;
    for (const PopupEntry& entry : entries) {
        UINT flags = MF_STRING;
        if (entry.grayed) flags |= MF_GRAYED;
        if (entry.checked) flags |= MF_CHECKED;
        AppendMenuW(popup.Get(), flags, entry.commandId, WideFromGbk(entry.caption).c_str());
    }
    return popup;
}

}  // namespace shell
