#include "shell/full_width.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

using namespace std::string_literals;

struct WideningCase {
    std::string input;
    std::string expected;
};

class ToFullWidthTable : public testing::TestWithParam<WideningCase> {};

TEST_P(ToFullWidthTable, WidensByteByByte) { EXPECT_EQ(ToFullWidth(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    EveryRow, ToFullWidthTable,
    testing::Values(WideningCase{" ", "\xA1\xA1"}, WideningCase{"~", "\xA1\xAB"},
                    WideningCase{"!", "\xA3\xA1"}, WideningCase{"}", "\xA3\xFD"},
                    WideningCase{"Super-EC", "\xA3\xD3\xA3\xF5\xA3\xF0\xA3\xE5\xA3\xF2\xA3\xAD\xA3\xC5\xA3\xC3"},
                    // a double-byte character passes unchanged, even when its trail byte is ASCII
                    WideningCase{"\xB5\xC7", "\xB5\xC7"}, WideningCase{"\x81\x41", "\x81\x41"},
                    // a lead byte right before the end is dropped
                    WideningCase{"A\xB5", "\xA3\xC1"}, WideningCase{"\xB5", ""},
                    // control bytes and DEL stay
                    WideningCase{"\x01\x1F\x7F", "\x01\x1F\x7F"}, WideningCase{"\t", "\t"},
                    WideningCase{"", ""}));

TEST(ToFullWidth, StopsAtTheFirstZeroByte) {
    EXPECT_EQ(ToFullWidth("A\0B"s), "\xA3\xC1");
    // a lead byte before the terminator is dropped there too
    EXPECT_EQ(ToFullWidth("A\xB5\0B"s), "\xA3\xC1");
}

TEST(LowerAsciiKeepingDoubleBytes, LowersOnlyAsciiCapitals) {
    EXPECT_EQ(LowerAsciiKeepingDoubleBytes(".TMP"), ".tmp");
    EXPECT_EQ(LowerAsciiKeepingDoubleBytes("AZaz@[09"), "azaz@[09");
    // 0x81 0x41 is one character; its trail byte 'A' must not become 'a'
    EXPECT_EQ(LowerAsciiKeepingDoubleBytes("\x81\x41Q"), "\x81\x41q");
    EXPECT_EQ(LowerAsciiKeepingDoubleBytes("X\xB5"), "x\xB5");
}

}  // namespace
}  // namespace shell
