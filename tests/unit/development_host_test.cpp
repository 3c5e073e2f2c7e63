#include "shell/development_host.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

struct SuffixCase {
    const char* fileName;
    bool developmentCopy;
};

class DevelopmentCopySuffix : public testing::TestWithParam<SuffixCase> {};

TEST_P(DevelopmentCopySuffix, LooksOnlyAtTheLastFourBytes) {
    EXPECT_EQ(IsDevelopmentCopy(GetParam().fileName), GetParam().developmentCopy) << GetParam().fileName;
}

INSTANTIATE_TEST_SUITE_P(
    Names, DevelopmentCopySuffix,
    testing::Values(SuffixCase{"LAUNCHER.TMP", true}, SuffixCase{"launcher.Tmp", true},
                    SuffixCase{"launcher.tmp", true}, SuffixCase{".tmp", true}, SuffixCase{".TMP", true},
                    SuffixCase{"Launcher.exe", false}, SuffixCase{"Launcher.tmp.exe", false},
                    SuffixCase{"tmp", false}, SuffixCase{"", false}, SuffixCase{"a.t", false},
                    SuffixCase{"launcher.tmpx", false},
                    // the last four bytes start with a lead byte, not a dot
                    SuffixCase{"x\xB5tmp", false}));

TEST(SplitModulePath, SplitsAtTheLastBackslash) {
    const ModulePath path = SplitModulePath("C:\\Games\\build.tmp\\Launcher.exe");
    EXPECT_EQ(path.folder, "C:\\Games\\build.tmp");
    EXPECT_EQ(path.fileName, "Launcher.exe");
    // only the file name counts, so a folder ending in .tmp does not
    EXPECT_FALSE(IsDevelopmentCopy(path.fileName));
    EXPECT_TRUE(IsDevelopmentCopy(SplitModulePath("C:\\x\\LAUNCHER.TMP").fileName));

    const ModulePath bare = SplitModulePath("Launcher.exe");
    EXPECT_EQ(bare.folder, "");
    EXPECT_EQ(bare.fileName, "Launcher.exe");
}

// "\x95\x5C" is one GBK character whose trail byte is the backslash's value.
TEST(SplitModulePath, StepsOverTrailBytesThatLookLikeBackslashes) {
    const ModulePath inFolder = SplitModulePath("C:\\\x95\x5C\\Launcher.tmp");
    EXPECT_EQ(inFolder.folder, "C:\\\x95\x5C");
    EXPECT_EQ(inFolder.fileName, "Launcher.tmp");
    EXPECT_TRUE(IsDevelopmentCopy(inFolder.fileName));

    const ModulePath inName = SplitModulePath("C:\\Games\\\x95\x5C.tmp");
    EXPECT_EQ(inName.folder, "C:\\Games");
    EXPECT_EQ(inName.fileName, "\x95\x5C.tmp");

    const ModulePath noSeparator = SplitModulePath("\x95\x5CLauncher.exe");
    EXPECT_EQ(noSeparator.folder, "");
    EXPECT_EQ(noSeparator.fileName, "\x95\x5CLauncher.exe");
}

TEST(DevelopmentHostMappingName, IsFullWidthSuperEc) {
    EXPECT_EQ(DevelopmentHostMappingName(),
              "\xA3\xD3\xA3\xF5\xA3\xF0\xA3\xE5\xA3\xF2\xA3\xAD\xA3\xC5\xA3\xC3");
}

}  // namespace
}  // namespace shell
