#include "shell/development_host.h"

#include "shell/full_width.h"

namespace shell {

ModulePath SplitModulePath(std::string_view fullPath) {
    const auto slash = fullPath.find_last_of('\\');
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
