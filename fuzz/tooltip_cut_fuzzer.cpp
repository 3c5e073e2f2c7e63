// CutTooltip over arbitrary GBK bytes and limits. The first input byte picks
// the limit (255 stands for the notification record's default); the rest is
// the tooltip.
#include "tray/tray_rules.h"

#include "fuzz/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// True when `text` read as GBK ends with a whole character.
bool EndsWhole(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) i += IsLead(text[i]) ? 2 : 1;
    return i == text.size();
}

void Check(std::string_view gbk, std::size_t limit) {
    const std::string cut = tray::CutTooltip(gbk, limit);
    const std::string_view terminated = gbk.substr(0, gbk.find('\0'));

    FUZZ_CHECK(cut.size() <= limit);
    FUZZ_CHECK(terminated.substr(0, cut.size()) == cut);  // a prefix, stopping at a zero byte
    FUZZ_CHECK(cut.find('\0') == std::string::npos);
    FUZZ_CHECK(EndsWhole(cut));  // no character is split

    // Nothing more would fit: the text ended, the next character would pass
    // the limit, or it is a lead byte with no trail before the end.
    if (cut.size() < terminated.size()) {
        const bool lead = IsLead(terminated[cut.size()]);
        const std::size_t width = lead ? 2 : 1;
        const bool pastLimit = cut.size() + width > limit;
        const bool loneLead = lead && cut.size() + 1 == terminated.size();
        FUZZ_CHECK(pastLimit || loneLead);
    }

    FUZZ_CHECK(tray::CutTooltip(cut, limit) == cut);
    if (limit > 0) {
        const std::string shorter = tray::CutTooltip(gbk, limit - 1);
        FUZZ_CHECK(cut.compare(0, shorter.size(), shorter) == 0 && shorter.size() <= cut.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view gbk(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] == 0xFF) {
        FUZZ_CHECK(tray::CutTooltip(gbk) == tray::CutTooltip(gbk, tray::kTooltipLimit));
        Check(gbk, tray::kTooltipLimit);
    } else {
        Check(gbk, data[0]);
    }
    return 0;
}
