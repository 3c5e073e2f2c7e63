#include "shell/window_geometry.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(CentredOrigin, CentresWithTruncatingDivision) {
    EXPECT_EQ(CentredOrigin(1920, 1080, 1029, 630), (Point{445, 225}));
    EXPECT_EQ(CentredOrigin(800, 600, 1029, 630), (Point{-114, -15}));
    EXPECT_EQ(CentredOrigin(1029, 630, 1029, 630), (Point{0, 0}));
    EXPECT_EQ(CentredOrigin(1030, 631, 1029, 630), (Point{0, 0}));
}

TEST(EffectiveAlpha, ClampsToOpaque) {
    EXPECT_EQ(EffectiveAlpha(250), 250);
    EXPECT_EQ(EffectiveAlpha(0), 0);
    EXPECT_EQ(EffectiveAlpha(255), 255);
    EXPECT_EQ(EffectiveAlpha(256), 255);
    EXPECT_EQ(EffectiveAlpha(-1), 255);
    EXPECT_EQ(EffectiveAlpha(std::nullopt), 255);
}

}  // namespace
}  // namespace shell
