// Which executables announce themselves to the development host: copies the
// development tool runs are named with a ".tmp" suffix.
#pragma once

#include <string>
#include <string_view>

namespace shell {

struct ModulePath {
    std::string folder;    // without the trailing backslash
    std::string fileName;  // e.g. "Launcher.exe"
};

// Splits a full module path (code page 936) at its last backslash, one that
// is not the trail byte of a double-byte character.
ModulePath SplitModulePath(std::string_view fullPath);

// True when the file name's last four bytes read ".tmp" in any ASCII case.
bool IsDevelopmentCopy(std::string_view fileName);

// The development host's mapping name, "Super-EC" in full-width GBK.
std::string DevelopmentHostMappingName();

// How many leading bytes of the mapping are cleared.
inline constexpr std::size_t kDevelopmentHostClearedBytes = 3;

}  // namespace shell
