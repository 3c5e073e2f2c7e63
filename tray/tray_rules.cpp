#include "tray/tray_rules.h"

#include "shell/full_width.h"

namespace tray {
namespace {

constexpr unsigned kContextMenu = 0x007B;
constexpr unsigned kLeftButtonUp = 0x0202;
constexpr unsigned kLeftButtonDoubleClick = 0x0203;
constexpr unsigned kRightButtonUp = 0x0205;

}  // namespace

std::optional<int> TrayEventKind(unsigned mouseMessage) {
    switch (mouseMessage) {
    case kLeftButtonUp: return kLeftClick;
    case kLeftButtonDoubleClick: return kLeftDoubleClick;
    case kRightButtonUp:
    case kContextMenu: return kRightClick;
    default: return std::nullopt;
    }
}

std::string CutTooltip(std::string_view gbk, std::size_t limit) {
    std::size_t kept = 0;
    while (kept < gbk.size() && gbk[kept] != '\0') {
        const bool lead = shell::IsGbkLeadByte(static_cast<unsigned char>(gbk[kept]));
        const std::size_t width = lead ? 2 : 1;
        if (kept + width > limit) break;
        if (lead && (kept + 1 >= gbk.size() || gbk[kept + 1] == '\0')) break;  // a lone lead byte at the end
        kept += width;
    }
    return std::string(gbk.substr(0, kept));
}

}  // namespace tray
