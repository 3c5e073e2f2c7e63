#include "shell/keyboard_rule.h"

namespace shell {

KeyAction ClassifyKeyPress(const KeyPress& key, bool escapeCloses) {
    if (!key.isKeyDown) return KeyAction::None;
    if (key.virtualKey == kVirtualKeyEscape) {
        const bool bare = !key.ctrl && !key.shift && !key.alt;
        return bare && escapeCloses ? KeyAction::CloseWindow : KeyAction::None;
    }
    if (key.virtualKey == kVirtualKeyTab && !key.ctrl && !key.alt) {
        return key.shift ? KeyAction::FocusPrevious : KeyAction::FocusNext;
    }
    return KeyAction::None;
}

std::optional<std::size_t> NextInTabOrder(const std::vector<TabStopState>& controls, std::size_t current,
                                          bool forward) {
    const std::size_t count = controls.size();
    if (count == 0 || current >= count) return std::nullopt;
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t index = forward ? (current + step) % count : (current + count - step) % count;
        const TabStopState& candidate = controls[index];
        if (candidate.tabStop && candidate.visible && candidate.enabled) return index;
    }
    return std::nullopt;
}

}  // namespace shell
