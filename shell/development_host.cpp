#include "shell/development_host.h"

#include "shell/full_width.h"

namespace shell {

ModulePath SplitModulePath(std::string_view fullPath) {
    // Stepping over double-byte characters: a trail byte of 0x5C is part of
    // a character in the name, not a separator.
    auto slash = std::string_view::npos;
    for (std::size_t i = 0; i < fullPath.size(); ++i) {
        if (IsGbkLeadByte(static_cast<unsigned char>(fullPath[i]))) ++i;
        else if (fullPath[i] == '\\') slash = i;
    }
    if (slash == std::string_view::npos) return {std::string(), std::string(fullPath)};
    return {std::string(fullPath.substr(0, slash)), std::string(fullPath.substr(slash + 1))};
}

bool IsDevelopmentCopy(std::string_view fileName) {
    constexpr std::string_view kSuffix = ".tmp";
    const auto tail = fileName.size() > kSuffix.size() ? fileName.substr(fileName.size() - kSuffix.size())
                                                       : fileName;
    return LowerAsciiKeepingDoubleBytes(tail) == kSuffix;
}

std::string DevelopmentHostMappingName() { return ToFullWidth("Super-EC"); }

}  // namespace shell
