// What the form window does with a key press before it is dispatched: the
// window-level keys (Esc closes, Tab and Shift+Tab walk the tab order) and
// the walk itself.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace shell {

enum class KeyAction { None, CloseWindow, FocusNext, FocusPrevious };

struct KeyPress {
    bool isKeyDown = false;  // WM_KEYDOWN or WM_SYSKEYDOWN; other messages never count
    unsigned virtualKey = 0;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

inline constexpr unsigned kVirtualKeyTab = 0x09;
inline constexpr unsigned kVirtualKeyEscape = 0x1B;

// The window's own handling of a key press. Modified Esc is left alone, as is
// Tab with Ctrl or Alt, which belong to the system and to the page.
KeyAction ClassifyKeyPress(const KeyPress& key, bool escapeCloses);

// One control in tab order, as the window sees it right now.
struct TabStopState {
    bool tabStop = false;
    bool visible = false;
    bool enabled = false;
};

// Index of the control that takes the focus when moving from `current` in
// the given direction, wrapping around; nothing when no other control can
// take it. The current control itself is chosen again when it is the only one.
std::optional<std::size_t> NextInTabOrder(const std::vector<TabStopState>& controls, std::size_t current,
                                          bool forward);

}  // namespace shell
