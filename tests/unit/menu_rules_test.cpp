#include "shell/menu_rules.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

MenuUnitView Menu(const char* caption, long long level, bool visible = true, bool disabled = false,
                  bool checked = false) {
    return {caption, level, visible, disabled, checked};
}

std::vector<std::string> Describe(const std::vector<PopupEntry>& entries) {
    std::vector<std::string> out;
    for (const PopupEntry& entry : entries) {
        out.push_back(std::to_string(entry.commandId) + " " + entry.caption + (entry.grayed ? " grayed" : "") +
                      (entry.checked ? " checked" : ""));
    }
    return out;
}

TEST(BuildPopup, TakesTheLaunchersTrayMenu) {
    // TrayMenu is hidden itself; that does not matter for its pop-up.
    const std::vector<MenuUnitView> menus = {Menu("Korv", 0, false), Menu("启动", 1), Menu("退出", 1)};
    const auto popup = BuildPopup(menus, 0);
    ASSERT_TRUE(popup.has_value());
    EXPECT_EQ(Describe(*popup), (std::vector<std::string>{"20001 启动", "20002 退出"}));
}

TEST(BuildPopup, LeavesOutHiddenEntriesAndMarksGreyedAndChecked) {
    const std::vector<MenuUnitView> menus = {Menu("File", 0),        Menu("Open", 1),
                                             Menu("Secret", 1, false), Menu("Gone", 1, true, true),
                                             Menu("Tick", 1, true, false, true),
                                             Menu("Help", 0),        Menu("About", 1)};
    EXPECT_EQ(Describe(*BuildPopup(menus, 0)),
              (std::vector<std::string>{"20001 Open", "20003 Gone grayed", "20004 Tick checked"}));
    // entries stop at the next menu of the same level
    EXPECT_EQ(Describe(*BuildPopup(menus, 5)), (std::vector<std::string>{"20006 About"}));
}

TEST(BuildPopup, RefusesMenusWithoutEntries) {
    const std::vector<MenuUnitView> menus = {Menu("Empty", 0), Menu("Next", 0), Menu("Entry", 1),
                                             Menu("Last", 0)};
    EXPECT_FALSE(BuildPopup(menus, 0).has_value());  // the next unit is not deeper
    EXPECT_FALSE(BuildPopup(menus, 3).has_value());  // the last menu unit
    EXPECT_FALSE(BuildPopup(menus, 9).has_value());  // no such unit
    EXPECT_FALSE(BuildPopup({}, 0).has_value());
    // only hidden entries: a menu with entries, none of them shown
    const auto hidden = BuildPopup({Menu("M", 0), Menu("H", 1, false)}, 0);
    ASSERT_TRUE(hidden.has_value());
    EXPECT_TRUE(hidden->empty());
}

TEST(MenuPositionOf, MapsIdentifiersToMenuUnits) {
    EXPECT_EQ(MenuPositionOf(20000, 3), 0u);
    EXPECT_EQ(MenuPositionOf(20002, 3), 2u);
    EXPECT_EQ(MenuPositionOf(20003, 3), std::nullopt);  // past the last menu unit
    EXPECT_EQ(MenuPositionOf(19999, 3), std::nullopt);
    EXPECT_EQ(MenuPositionOf(0xE100, 50000), std::nullopt);  // the system's
    EXPECT_EQ(MenuPositionOf(0xF060, 50000), std::nullopt);
    EXPECT_EQ(MenuPositionOf(0xE0FF, 50000), 0xE0FFu - 20000u);
}

}  // namespace
}  // namespace shell
