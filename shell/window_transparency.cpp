#include "shell/window_transparency.h"

#include "shell/window_geometry.h"

namespace shell {
namespace {

bool IsWindowsNt() {
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof(extended);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // GetVersionExA is deprecated, and the platform id is all we ask
#endif
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    OSVERSIONINFOA basic = {};
    basic.dwOSVersionInfoSize = sizeof(basic);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    return GetVersionExA(&basic) && basic.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

bool SetWindowTransparency(HWND window, std::optional<int> alpha) {
    const int opacity = EffectiveAlpha(alpha);
    if (!IsWindowsNt()) return false;

    // Looked up by name: the first releases of the NT family lack it.
    using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    const HMODULE user32 = GetModuleHandleA("USER32.DLL");
    const FARPROC found = user32 != nullptr ? GetProcAddress(user32, "SetLayeredWindowAttributes") : nullptr;
    if (found == nullptr) return false;
    const auto setAttributes = reinterpret_cast<SetLayeredAttributes>(reinterpret_cast<void (*)()>(found));

    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_LAYERED);
    return setAttributes(window, 0, static_cast<BYTE>(opacity), LWA_ALPHA) != FALSE;
}

}  // namespace shell
