// The launcher's icon file as bytes, read from the source tree.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace wintest {

inline std::vector<std::uint8_t> LauncherIconFile() {
    std::ifstream in(LAUNCHER_ICON_FILE, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace wintest
