#include "shell/super_button_look.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

namespace shell {
namespace {

// The launcher's five buttons.
const ButtonColours kLauncherColours{0x00FF8080, 0x00FFFFFF, 0x00FF8080, 0x00FFFFFF, 0x00FF0090, 0x00F0F0F0};

struct LookCase {
    const char* name;
    FaceState state;
    FaceKind kind;
    Colour fill;
    Colour caption;
    Shift shift;
};

class ChooseLookTable : public testing::TestWithParam<LookCase> {};

TEST_P(ChooseLookTable, FollowsThePrecedence) {
    const LookCase& c = GetParam();
    const FaceLook look = ChooseLook(kLauncherColours, c.state, PressStyle::RightAndDown, false);
    EXPECT_EQ(look.kind, c.kind);
    EXPECT_EQ(look.fill, c.fill);
    EXPECT_EQ(look.caption, c.caption);
    EXPECT_EQ(look.captionShift, c.shift);
}

constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kCaption = 0x00FF8080;  // RGB(128, 128, 255)
constexpr Colour kFocusFill = 0x00F0F0F0;
constexpr Colour kFocusCaption = 0x00FF0090;  // RGB(144, 0, 255)

INSTANTIATE_TEST_SUITE_P(
    States, ChooseLookTable,
    testing::Values(
        LookCase{"normal", {false, false, false, false}, FaceKind::Normal, kWhite, kCaption, {0, 0}},
        LookCase{"focused", {false, false, true, false}, FaceKind::Focused, kFocusFill, kFocusCaption, {0, 0}},
        LookCase{"hot", {true, false, false, false}, FaceKind::Hot, kWhite, kCaption, {0, 0}},
        LookCase{"hot and focused", {true, false, true, false}, FaceKind::Hot, kWhite, kCaption, {0, 0}},
        LookCase{"pressed", {false, true, false, false}, FaceKind::Hot, kWhite, kCaption, {1, 1}},
        LookCase{"pressed, hot and focused", {true, true, true, false}, FaceKind::Hot, kWhite, kCaption, {1, 1}},
        LookCase{"disabled", {false, false, false, true}, FaceKind::Normal, kWhite, kCaption, {0, 0}}),
    CaseName());

TEST(ChooseLook, UsesTheStateColoursAndTheChosenShift) {
    const ButtonColours distinct{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(ChooseLook(distinct, {}, PressStyle::Down, false).fill, 2u);
    EXPECT_EQ(ChooseLook(distinct, {true}, PressStyle::Down, false).caption, 3u);
    EXPECT_EQ(ChooseLook(distinct, {false, false, true}, PressStyle::Down, false).fill, 6u);
    EXPECT_EQ(ChooseLook(distinct, {false, true}, PressStyle::Down, false).captionShift, (Shift{0, 2}));
    // a checked check box is drawn pressed but its caption stays in place
    EXPECT_EQ(ChooseLook(distinct, {false, true}, PressStyle::RightAndDown, true).captionShift, (Shift{0, 0}));
    EXPECT_EQ(ChooseLook(distinct, {false, true}, PressStyle::RightAndDown, true).fill, 4u);
}

TEST(ResolveColours, ReplacesTheDefaultOnlyInBackgrounds) {
    const ButtonColours stored{kDefaultBackground, kDefaultBackground, 7, kDefaultBackground, 8, 9};
    const ButtonColours resolved = ResolveColours(stored, 0x00D4D0C8);
    EXPECT_EQ(resolved.fgOut, kDefaultBackground);  // a caption colour is left as stored
    EXPECT_EQ(resolved.bkOut, 0x00D4D0C8u);
    EXPECT_EQ(resolved.bkIn, 0x00D4D0C8u);
    EXPECT_EQ(resolved.bkFocus, 9u);
    EXPECT_EQ(resolved.fgIn, 7u);
}

TEST(SystemColours, LightensTheHotFaceBy32WithACap) {
    const ButtonColours colours = SystemColours(0x00F0D0A0, 0x00000000);
    EXPECT_EQ(colours.bkOut, 0x00F0D0A0u);
    EXPECT_EQ(colours.bkFocus, 0x00F0D0A0u);
    EXPECT_EQ(colours.bkIn, 0x00FFF0C0u);  // blue 0xF0 + 32 is capped at 0xFF
    EXPECT_EQ(colours.fgOut, 0u);
    EXPECT_EQ(colours.fgIn, 0u);
    EXPECT_EQ(colours.fgFocus, 0u);
    EXPECT_EQ(Lighten(0x00FFFFFF, 32), 0x00FFFFFFu);
    EXPECT_EQ(Lighten(0x00000000, 32), 0x00202020u);
    EXPECT_EQ(Lighten(0x00DFE0E1, 32), 0x00FFFFFFu);
    EXPECT_EQ(Lighten(0x00DEDEDE, 32), 0x00FEFEFEu);
}

TEST(CentreIn, CentresTheMeasuredBoxHalvingTowardZero) {
    const Box face{0, 0, 48, 16};
    EXPECT_EQ(CentreIn(face, {0, 0, 48, 13}), (Box{0, 1, 48, 14}));
    EXPECT_EQ(CentreIn(face, {0, 0, 45, 12}), (Box{1, 2, 46, 14}));
    // wrapped text taller than the face moves up by half the excess, toward zero
    EXPECT_EQ(CentreIn(face, {0, 0, 40, 27}), (Box{4, -5, 44, 22}));
    const Box pressed = Offset(face, {1, 1});
    EXPECT_EQ(CentreIn(pressed, {1, 1, 49, 14}), (Box{1, 2, 49, 15}));
}

struct HotCase {
    const char* name;
    bool hot;
    PointerEvent event;
    bool leftDown;
    HotStep expected;
};

class StepHotStateTable : public testing::TestWithParam<HotCase> {};

TEST_P(StepHotStateTable, RepaintsOnlyOnAChange) {
    const HotCase& c = GetParam();
    const HotStep step = StepHotState(c.hot, c.event, c.leftDown);
    EXPECT_EQ(step.hot, c.expected.hot);
    EXPECT_EQ(step.repaint, c.expected.repaint);
    EXPECT_EQ(step.trackLeave, c.expected.trackLeave);
    EXPECT_EQ(step.playOverSound, c.expected.playOverSound);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, StepHotStateTable,
    testing::Values(
        HotCase{"enter", false, PointerEvent::MoveOverButton, false, {true, true, true, true}},
        HotCase{"move inside", true, PointerEvent::MoveOverButton, false, {true, false, false, false}},
        HotCase{"enter with the button held", false, PointerEvent::MoveOverButton, true, {false, false, false, false}},
        HotCase{"held move inside while hot", true, PointerEvent::MoveOverButton, true, {true, false, false, false}},
        HotCase{"move over a covering window", true, PointerEvent::MoveOverOtherWindow, false, {false, true, false, false}},
        HotCase{"held drag out", true, PointerEvent::MoveOverOtherWindow, true, {false, true, false, false}},
        HotCase{"covered and cold", false, PointerEvent::MoveOverOtherWindow, false, {false, false, false, false}},
        HotCase{"leave", true, PointerEvent::Leave, false, {false, true, false, false}},
        HotCase{"leave when cold", false, PointerEvent::Leave, false, {false, false, false, false}},
        HotCase{"focus lost", true, PointerEvent::FocusLost, false, {false, true, false, false}},
        HotCase{"focus lost when cold", false, PointerEvent::FocusLost, false, {false, false, false, false}},
        HotCase{"cancel mode", true, PointerEvent::CancelMode, false, {false, true, false, false}},
        HotCase{"disabled", true, PointerEvent::Disabled, false, {false, true, false, false}}),
    CaseName());

}  // namespace
}  // namespace shell
