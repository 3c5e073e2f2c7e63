#include "shell/full_width.h"

namespace shell {
namespace {


}  // namespace

std::string ToFullWidth(std::string_view ansi) {
    std::string wide;
    wide.reserve(ansi.size() * 2);
    for (std::size_t i = 0; i < ansi.size() && ansi[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(ansi[i]);
        if (byte == 0x20) {
            wide += "\xA1\xA1";
        } else if (byte == 0x7E) {
            wide += "\xA1\xAB";
        } else if (byte >= 0x21 && byte <= 0x7D) {
            wide += '\xA3';
            wide += static_cast<char>(byte | 0x80);
        } else if (IsGbkLeadByte(byte)) {
            const bool trailFollows = i + 1 < ansi.size() && ansi[i + 1] != '\0';
            if (!trailFollows) break;  // a lone lead byte at the end is dropped
            wide += ansi[i];
            wide += ansi[++i];
        } else {
            wide += ansi[i];
        }
    }
    return wide;
}

std::string LowerAsciiKeepingDoubleBytes(std::string_view gbk) {
    std::string lower(gbk);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const auto byte = static_cast<unsigned char>(lower[i]);
        if (IsGbkLeadByte(byte)) {
            ++i;  // keep the trail byte as it is
        } else if (byte >= 'A' && byte <= 'Z') {
            lower[i] = static_cast<char>(byte + 0x20);
        }
    }
    return lower;
}

}  // namespace shell
