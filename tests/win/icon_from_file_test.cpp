#include "shell/icon_from_file.h"

#include "tests/win/check.h"
#include "tests/win/launcher_icon_file.h"

#include <vector>

namespace shell {
namespace {

using wintest::LauncherIconFile;

SIZE IconSize(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    BITMAP colour = {};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(colour), &colour);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return {colour.bmWidth, colour.bmHeight};
}

WIN_TEST(CreateIconFromFile_MakesTheSixteenPixelImageForBothPreferredWidths) {
    const std::vector<std::uint8_t> file = LauncherIconFile();
    REQUIRE(file.size() == 92102u);
    for (int preferred : {16, 32}) {
        const UniqueIcon icon = CreateIconFromFile({file.data(), file.size()}, preferred);
        REQUIRE(icon);
        const SIZE size = IconSize(icon.Get());
        CHECK(size.cx == 16);
        CHECK(size.cy == 16);
    }
}

WIN_TEST(CreateIconFromFile_GivesNothingForUnusableBytes) {
    const std::vector<std::uint8_t> file = LauncherIconFile();
    CHECK(!CreateIconFromFile({file.data(), 6}, 16));  // the directory is cut off
    CHECK(!CreateIconFromFile({nullptr, 0}, 16));
    std::vector<std::uint8_t> garbled = file;
    for (std::size_t i = 90974; i < garbled.size(); ++i) garbled[i] = 0xFF;  // the chosen image itself
    CHECK(!CreateIconFromFile({garbled.data(), garbled.size()}, 16));
}

WIN_TEST(ResourceBytes_IsEmptyForAMissingResource) {
    const ByteView bytes = ResourceBytes(GetModuleHandleW(nullptr), L"NO_SUCH_RESOURCE", MAKEINTRESOURCEW(10));
    CHECK(bytes.data == nullptr);
    CHECK(bytes.size == 0u);
}

}  // namespace
}  // namespace shell
