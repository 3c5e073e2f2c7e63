// Constant-alpha translucency for a whole top-level window.
#pragma once

#include <windows.h>

#include <optional>

namespace shell {

// Makes the window layered (replacing its extended style) with the given
// opacity; a missing or out-of-range alpha means opaque. Does nothing and
// returns false outside the Windows NT family or without layered windows.
bool SetWindowTransparency(HWND window, std::optional<int> alpha = std::nullopt);

}  // namespace shell
