#include "tray/tray_rules.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

namespace tray {
namespace {

struct CallbackCase {
    const char* name;
    unsigned message;
    std::optional<int> kind;
};

class TrayEventKindTable : public testing::TestWithParam<CallbackCase> {};

TEST_P(TrayEventKindTable, MapsOnlyReleasesAndTheContextMenu) {
    EXPECT_EQ(TrayEventKind(GetParam().message), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, TrayEventKindTable,
    testing::Values(CallbackCase{"left up", 0x0202, 1}, CallbackCase{"left double click", 0x0203, 2},
                    CallbackCase{"right up", 0x0205, 3}, CallbackCase{"context menu", 0x007B, 3},
                    CallbackCase{"mouse move", 0x0200, std::nullopt},
                    CallbackCase{"left down", 0x0201, std::nullopt},
                    CallbackCase{"right down", 0x0204, std::nullopt},
                    CallbackCase{"right double click", 0x0206, std::nullopt},
                    CallbackCase{"middle down", 0x0207, std::nullopt},
                    CallbackCase{"middle up", 0x0208, std::nullopt},
                    CallbackCase{"middle double click", 0x0209, std::nullopt},
                    CallbackCase{"balloon shown", 0x0402, std::nullopt}, CallbackCase{"zero", 0, std::nullopt}),
    CaseName());

// "欢迎使用Orbel音乐组件，享受音乐，我们快乐，点击左键" in GBK: 51 bytes.
const std::string kTrayTooltip =
    "\xbb\xb6\xd3\xad\xca\xb9\xd3\xc3Orbel\xd2\xf4\xc0\xd6\xd7\xe9\xbc\xfe\xa3\xac\xcf\xed\xca\xdc\xd2\xf4\xc0\xd6"
    "\xa3\xac\xce\xd2\xc3\xc7\xbf\xec\xc0\xd6\xa3\xac\xb5\xe3\xbb\xf7\xd7\xf3\xbc\xfc";

TEST(CutTooltip, KeepsTheLaunchersTooltipWhole) {
    ASSERT_EQ(kTrayTooltip.size(), 51u);
    EXPECT_EQ(CutTooltip(kTrayTooltip), kTrayTooltip);
}

TEST(CutTooltip, CutsAt62BytesWithoutSplittingACharacter) {
    const std::string ascii(70, 'a');
    EXPECT_EQ(CutTooltip(ascii), std::string(62, 'a'));
    EXPECT_EQ(CutTooltip(std::string(62, 'a')), std::string(62, 'a'));

    // 61 ASCII bytes then a double-byte character: its trail would be byte 63
    const std::string across = std::string(61, 'a') + "\xb5\xc7" + "b";
    EXPECT_EQ(CutTooltip(across), std::string(61, 'a'));
    // 60 ASCII bytes then the character fits exactly
    const std::string fits = std::string(60, 'a') + "\xb5\xc7" + "b";
    EXPECT_EQ(CutTooltip(fits), std::string(60, 'a') + "\xb5\xc7");
    // all double-byte: 31 characters are 62 bytes
    std::string chinese;
    for (int i = 0; i < 40; ++i) chinese += "\xb5\xc7";
    EXPECT_EQ(CutTooltip(chinese).size(), 62u);
    // a trail byte in the ASCII range is still part of its character
    EXPECT_EQ(CutTooltip(std::string(61, 'a') + "\x81\x41"), std::string(61, 'a'));
}

TEST(CutTooltip, HandlesEmptyAndTerminatedTexts) {
    EXPECT_EQ(CutTooltip(""), "");
    EXPECT_EQ(CutTooltip(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(CutTooltip("ab\xb5"), "ab");  // a lone lead byte at the end
    EXPECT_EQ(CutTooltip("abc", 2), "ab");
}

}  // namespace
}  // namespace tray
