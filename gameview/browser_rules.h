// The decisions of the browser unit, apart from the control that carries them
// out: the text-size clamp, what an address becomes before it reaches the
// control, which command value does what, the order the stored settings are
// applied in, and which control notification raises which unit event.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gameview/browser_control.h"
#include "shell/unit_schema.h"

namespace gameview {

inline constexpr long kSmallestTextSize = 0;
inline constexpr long kLargestTextSize = 4;

// The stored size may be any integer; the control gets 0..4.
long ClampTextSize(long long stored);

// An empty address opens the blank page; any other text goes to the control
// exactly as written, with no scheme added and nothing trimmed.
std::string NavigationAddress(std::string_view text);
void NavigateTo(BrowserControl& control, std::string_view text);

// The values of BrowserCommand. Any other value does nothing.
enum BrowserCommandValue : long long {
    kGoForward = 0,  // 前进
    kGoBack = 1,     // 后退
    kGoHome = 2,
    kGoSearch = 3,
    kRefresh = 4,
    kStop = 5,
    kSaveAs = 6,
    kPrint = 7,
    kPrintPreview = 8,
    kPageSetup = 9,
};

// Returns whether the value named a command.
bool RunBrowserCommand(BrowserControl& control, long long value);

// Offline mode, then silent mode, then the text size, from the unit's
// properties by number.
void ApplySettings(BrowserControl& control, const std::vector<shell::PropertyValue>& properties);

// The unit event a DWebBrowserEvents2 notification raises, by its dispatch id.
std::optional<std::size_t> EventForDispatchId(long dispatchId);

}  // namespace gameview
