// Byte-level text rules for GBK (code page 936) strings: the full-width form
// used for the development host's mapping name, and an ASCII-only lower-casing
// that steps over double-byte characters so trail bytes are never altered.
#pragma once

#include <string>
#include <string_view>

namespace shell {

// In GBK a byte of 0x80 or above leads a double-byte character; the byte after
// it is its trail byte, whatever its value (0x40..0x7E is ASCII-looking).
inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x80; }

// Widens printable ASCII to its GBK full-width form. Stops at the first zero
// byte, as the C string it stands for would.
std::string ToFullWidth(std::string_view ansi);

// Lower-cases ASCII capitals; a byte of 0x80 or above leads a double-byte
// character, which is copied untouched together with its trail byte.
std::string LowerAsciiKeepingDoubleBytes(std::string_view gbk);

}  // namespace shell
