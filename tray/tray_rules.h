// Decisions of tray mode that need no window: which shell notifications are
// tray events and how a tooltip is cut to the notification record.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tray {

// Kinds of the window's tray event.
inline constexpr int kLeftClick = 1;
inline constexpr int kLeftDoubleClick = 2;
inline constexpr int kRightClick = 3;

// The tray event for the mouse message the shell passes with its callback,
// or nothing for moves, presses and the middle button.
std::optional<int> TrayEventKind(unsigned mouseMessage);

// The notification record holds 64 bytes of tooltip with a terminating zero.
inline constexpr std::size_t kTooltipLimit = 62;

// The first `limit` bytes of a GBK text, without splitting a double-byte
// character: a lead byte whose trail would fall past the cut goes too.
std::string CutTooltip(std::string_view gbk, std::size_t limit = kTooltipLimit);

}  // namespace tray
