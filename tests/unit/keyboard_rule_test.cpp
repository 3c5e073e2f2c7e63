#include "shell/keyboard_rule.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

namespace shell {
namespace {

struct KeyCase {
    const char* name;
    KeyPress key;
    KeyAction expected;
};

class ClassifyKeyPressTable : public testing::TestWithParam<KeyCase> {};

TEST_P(ClassifyKeyPressTable, DecidesTheWindowKeys) {
    EXPECT_EQ(ClassifyKeyPress(GetParam().key, true), GetParam().expected) << GetParam().name;
}

constexpr unsigned kEsc = kVirtualKeyEscape;
constexpr unsigned kTab = kVirtualKeyTab;

INSTANTIATE_TEST_SUITE_P(
    Keys, ClassifyKeyPressTable,
    testing::Values(KeyCase{"Esc", {true, kEsc}, KeyAction::CloseWindow},
                    KeyCase{"Ctrl+Esc", {true, kEsc, true}, KeyAction::None},
                    KeyCase{"Shift+Esc", {true, kEsc, false, true}, KeyAction::None},
                    KeyCase{"Alt+Esc", {true, kEsc, false, false, true}, KeyAction::None},
                    KeyCase{"Esc released", {false, kEsc}, KeyAction::None},
                    KeyCase{"Tab", {true, kTab}, KeyAction::FocusNext},
                    KeyCase{"Shift+Tab", {true, kTab, false, true}, KeyAction::FocusPrevious},
                    KeyCase{"Ctrl+Tab", {true, kTab, true}, KeyAction::None},
                    KeyCase{"Alt+Tab", {true, kTab, false, false, true}, KeyAction::None},
                    KeyCase{"Enter", {true, 0x0D}, KeyAction::None},
                    KeyCase{"F1", {true, 0x70}, KeyAction::None}), CaseName());

TEST(ClassifyKeyPress, EscClosesOnlyWhenTheWindowSaysSo) {
    EXPECT_EQ(ClassifyKeyPress({true, kEsc}, false), KeyAction::None);
}

TEST(NextInTabOrder, WrapsAndSkipsControlsThatCannotTakeTheFocus) {
    const TabStopState on{true, true, true};
    const TabStopState hidden{true, false, true};
    const TabStopState disabled{true, true, false};
    const TabStopState noStop{false, true, true};
    const std::vector<TabStopState> controls = {on, hidden, on, disabled, noStop, on};

    EXPECT_EQ(NextInTabOrder(controls, 0, true), 2u);
    EXPECT_EQ(NextInTabOrder(controls, 2, true), 5u);
    EXPECT_EQ(NextInTabOrder(controls, 5, true), 0u);   // wraps forward
    EXPECT_EQ(NextInTabOrder(controls, 0, false), 5u);  // wraps backward
    EXPECT_EQ(NextInTabOrder(controls, 5, false), 2u);
    EXPECT_EQ(NextInTabOrder(controls, 1, true), 2u);   // moving from a control that cannot take it
}

TEST(NextInTabOrder, HandlesTheDegenerateOrders) {
    EXPECT_EQ(NextInTabOrder({}, 0, true), std::nullopt);
    EXPECT_EQ(NextInTabOrder({{true, true, true}}, 0, true), 0u);
    EXPECT_EQ(NextInTabOrder({{false, true, true}, {true, false, true}}, 0, true), std::nullopt);
    EXPECT_EQ(NextInTabOrder({{true, true, true}}, 3, true), std::nullopt);
}

}  // namespace
}  // namespace shell
