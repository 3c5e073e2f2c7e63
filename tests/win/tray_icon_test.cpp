#include "tray/tray_icon.h"

#include "tests/win/check.h"
#include "tests/win/launcher_icon_file.h"

#include <vector>

namespace tray {
namespace {

using wintest::LauncherIconFile;

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return true;
}

// A hidden window of our own to own the icons.
struct TrayFixture {
    TrayFixture()
        : window(CreateWindowExW(0, L"STATIC", L"tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr)),
          file(LauncherIconFile()) {}
    ~TrayFixture() {
        icon.Remove(window);
        DestroyWindow(window);
    }
    shell::ByteView File() const { return {file.data(), file.size()}; }

    HWND window;
    std::vector<std::uint8_t> file;
    TrayIcon icon;
};

WIN_TEST(TrayIcon_ReplacesInPlaceAndDestroysEveryOldHandle) {
    TrayFixture tray;
    REQUIRE(tray.window != nullptr && tray.file.size() == 92102u);
    const std::string tooltip = "tip";
    REQUIRE(tray.icon.Set(tray.window, tray.File(), &tooltip));
    std::vector<HICON> earlier;
    for (int i = 0; i < 200; ++i) {
        earlier.push_back(tray.icon.Handle());
        REQUIRE(tray.icon.Set(tray.window, tray.File(), &tooltip));
    }
    int alive = 0;
    for (HICON old : earlier) alive += IconAlive(old) ? 1 : 0;
    CHECK_THAT(alive == 0, std::to_string(alive) + " old icon handles are still alive");
    CHECK(IconAlive(tray.icon.Handle()));
}

WIN_TEST(TrayIcon_RemovingDestroysTheHandle) {
    TrayFixture tray;
    REQUIRE(tray.icon.Set(tray.window, tray.File(), nullptr));
    const HICON shown = tray.icon.Handle();
    tray.icon.Remove(tray.window);
    CHECK(!tray.icon.Shown());
    CHECK(!IconAlive(shown));
    tray.icon.Remove(tray.window);  // nothing left to remove
    CHECK(!tray.icon.Shown());
}

WIN_TEST(TrayIcon_UnusableBytesRemoveTheIcon) {
    TrayFixture tray;
    REQUIRE(tray.icon.Set(tray.window, tray.File(), nullptr));
    const HICON shown = tray.icon.Handle();
    const std::vector<std::uint8_t> junk(40, 0xAB);
    CHECK(!tray.icon.Set(tray.window, {junk.data(), junk.size()}, nullptr));
    CHECK(!tray.icon.Shown());
    CHECK(!IconAlive(shown));
    CHECK(!tray.icon.Set(tray.window, {}, nullptr));
}

}  // namespace
}  // namespace tray
