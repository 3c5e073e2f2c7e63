// SplitModulePath and IsDevelopmentCopy over arbitrary bytes.
#include "shell/development_host.h"

#include "fuzz/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// ".tmp" in any ASCII case in the last four bytes.
bool EndsInTmp(std::string_view name) {
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() < kSuffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - kSuffix.size());
    for (std::size_t i = 0; i < kSuffix.size(); ++i) {
        if (LowerAscii(tail[i]) != kSuffix[i]) return false;
    }
    return true;
}

// A backslash byte that is not the trail byte of a double-byte character.
bool HasSeparator(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) ++i;
        else if (text[i] == '\\') return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const shell::ModulePath split = shell::SplitModulePath(path);

    // The file name starts on a character boundary and holds no separator.
    FUZZ_CHECK(!HasSeparator(split.fileName));
    if (!HasSeparator(path)) {
        FUZZ_CHECK(split.folder.empty());
        FUZZ_CHECK(split.fileName == path);
    } else {
        FUZZ_CHECK(split.folder + '\\' + split.fileName == path);
    }

    FUZZ_CHECK(shell::IsDevelopmentCopy(path) == EndsInTmp(path));
    FUZZ_CHECK(shell::IsDevelopmentCopy(split.fileName) == EndsInTmp(split.fileName));
    return 0;
}
