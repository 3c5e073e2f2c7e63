// The GBK byte rules over arbitrary bytes. A text is read as GBK the way the
// rules read it: a byte of 0x80 or above leads a double-byte character and
// takes the next byte as its trail, whatever that byte is.
#include "shell/full_width.h"

#include "fuzz/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

bool IsPrintableAscii(char c) { return c >= 0x20 && c <= 0x7E; }

// Which positions hold the trail byte of a double-byte character.
std::vector<bool> TrailPositions(std::string_view text) {
    std::vector<bool> trail(text.size(), false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLead(text[i]) && i + 1 < text.size()) trail[++i] = true;
    }
    return trail;
}

void CheckLowering(std::string_view text, std::size_t cut) {
    const std::string lower = shell::LowerAsciiKeepingDoubleBytes(text);
    FUZZ_CHECK(lower.size() == text.size());

    const std::vector<bool> trail = TrailPositions(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (trail[i] || !IsCapital(text[i])) {
            // Trail bytes, and everything but single-byte capitals, stay.
            FUZZ_CHECK(lower[i] == text[i]);
        } else {
            FUZZ_CHECK(lower[i] == static_cast<char>(text[i] + ('a' - 'A')));
        }
    }
    FUZZ_CHECK(shell::LowerAsciiKeepingDoubleBytes(lower) == lower);
    // Left to right: lowering a prefix gives the prefix of the lowered text.
    FUZZ_CHECK(shell::LowerAsciiKeepingDoubleBytes(text.substr(0, cut)) == lower.substr(0, cut));
}

void CheckWidening(std::string_view text) {
    const std::string wide = shell::ToFullWidth(text);
    const std::string_view terminated = text.substr(0, text.find('\0'));
    FUZZ_CHECK(shell::ToFullWidth(terminated) == wide);
    FUZZ_CHECK(wide.find('\0') == std::string::npos);

    // Character by character: printable ASCII becomes its full-width form, a
    // double-byte character is copied, other single bytes stay, and only a
    // lead byte with nothing after it is dropped.
    std::size_t in = 0;
    std::size_t out = 0;
    while (in < terminated.size()) {
        const char c = terminated[in];
        if (IsLead(c)) {
            if (in + 1 == terminated.size()) {
                ++in;
                break;
            }
            FUZZ_CHECK(wide.compare(out, 2, terminated.substr(in, 2)) == 0);
            in += 2;
            out += 2;
        } else if (IsPrintableAscii(c)) {
            FUZZ_CHECK(out + 2 <= wide.size());
            const auto lead = static_cast<unsigned char>(wide[out]);
            const auto trail = static_cast<unsigned char>(wide[out + 1]);
            if (c == ' ') {
                FUZZ_CHECK(lead == 0xA1 && trail == 0xA1);
            } else if (c == '~') {
                FUZZ_CHECK(lead == 0xA1 && trail == 0xAB);
            } else {
                FUZZ_CHECK(lead == 0xA3 && trail == (static_cast<unsigned char>(c) | 0x80));
            }
            in += 1;
            out += 2;
        } else {
            FUZZ_CHECK(out < wide.size() && wide[out] == c);
            in += 1;
            out += 1;
        }
    }
    FUZZ_CHECK(in == terminated.size());
    FUZZ_CHECK(out == wide.size());

    // The result holds no printable ASCII and no unpaired lead byte, so
    // widening it again changes nothing.
    FUZZ_CHECK(shell::ToFullWidth(wide) == wide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    CheckLowering(text, cut);
    CheckWidening(text);
    return 0;
}
