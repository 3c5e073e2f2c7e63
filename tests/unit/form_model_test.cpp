#include "shell/form_model.h"
#include "gameview/html_viewer_schema.h"
#include "shell/super_button_schema.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

#include <fstream>
#include <iterator>

namespace shell {
namespace {

const UnitKindSchema kTestButton{
    "TestBtn",
    WithGenericProperties({
        {"标题", "caption", PropertyType::Text, std::string()},
        {"颜色", "colour", PropertyType::Colour, 0xFF000000LL},
        {"风格", "style", PropertyType::Choice, 0LL, 3},
    }),
    {"被单击"},
};

std::optional<std::string> Identity(std::string_view text) { return std::string(text); }

FormModelResult Read(const std::string& text, const HandlerTable& handlers,
                     const TextConverter& convert = Identity) {
    const FormParseResult parsed = ParseFormDescription(text);
    EXPECT_TRUE(parsed.description.has_value()) << Describe(parsed.error);
    if (!parsed.description) return {};
    return ReadFormModel(*parsed.description, {&kTestButton}, handlers, convert);
}

TEST(ReadFormModel, FillsPropertiesByNumberWithDefaults) {
    HandlerTable handlers;
    const FormModelResult result = Read(
        "window W\n  width = 1029\n  标题 = \"T\"\n"
        "control B : TestBtn\n  left = 976\n  colour = 0x00FF8080\n  style = 2\n  TabIndex = 3\n",
        handlers);
    ASSERT_TRUE(result.model.has_value()) << Describe(result.error);
    const UnitModel& window = result.model->window;
    EXPECT_EQ(window.Integer(kWidth), 1029);
    EXPECT_EQ(window.Text(kWindowCaption), "T");  // the Chinese name reaches the same property
    EXPECT_TRUE(window.Truth(kVisible));           // a default
    EXPECT_EQ(window.Integer(kWindowBorder), kBorderSizable);

    const UnitModel& button = result.model->units.at(0);
    EXPECT_EQ(button.schema, &kTestButton);
    EXPECT_EQ(button.Integer(kLeft), 976);
    EXPECT_EQ(button.Integer(kFirstOwnProperty + 1), 0x00FF8080);
    EXPECT_EQ(button.Integer(kFirstOwnProperty + 2), 2);
    EXPECT_EQ(button.Text(kTag), "");
    EXPECT_TRUE(button.tabStop);
    EXPECT_EQ(button.tabIndex, 3);
}

TEST(ReadFormModel, BindsHandlersByNameAndRaisesThem) {
    HandlerTable handlers;
    int clicks = 0;
    int trayKind = 0;
    handlers.Add("Click", [&](const EventArgs&) { ++clicks; });
    handlers.Add("Tray", [&](const EventArgs& args) { trayKind = args.integer; });
    handlers.Add("NotBuiltYet", nullptr);
    const FormModelResult result = Read(
        "window W\n  on TrayEvent = Tray\n  on Created = NotBuiltYet\n"
        "control B : TestBtn\n  on 被单击 = Click\n",
        handlers);
    ASSERT_TRUE(result.model.has_value()) << Describe(result.error);

    result.model->units[0].Raise(0);
    result.model->units[0].Raise(0);
    result.model->window.Raise(*WindowSchema().FindEvent("TrayEvent"), {3});
    result.model->window.Raise(*WindowSchema().FindEvent("Created"));  // named, nothing to run
    result.model->window.Raise(99);                                      // no such event
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(trayKind, 3);
}

TEST(ReadFormModel, ConvertsTextsAndReportsUnconvertibleOnes) {
    HandlerTable handlers;
    const TextConverter upper = [](std::string_view text) -> std::optional<std::string> {
        if (text == "bad") return std::nullopt;
        return "<" + std::string(text) + ">";
    };
    const FormModelResult good = Read("window W\n  caption = \"T\"\n", handlers, upper);
    ASSERT_TRUE(good.model.has_value());
    EXPECT_EQ(good.model->window.Text(kWindowCaption), "<T>");

    const FormModelResult bad = Read("window W\n\n  caption = \"bad\"\n", handlers, upper);
    EXPECT_FALSE(bad.model.has_value());
    EXPECT_EQ(bad.error.line, 3);
}

struct ModelErrorCase {
    const char* name;
    const char* text;
    int line;
};

class ReadFormModelRejects : public testing::TestWithParam<ModelErrorCase> {};

TEST_P(ReadFormModelRejects, NamesTheLine) {
    HandlerTable handlers;
    handlers.Add("Known", nullptr);
    const FormModelResult result = Read(GetParam().text, handlers);
    EXPECT_FALSE(result.model.has_value()) << GetParam().name;
    EXPECT_EQ(result.error.line, GetParam().line) << GetParam().name << ": " << Describe(result.error);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadFormModelRejects,
    testing::Values(
        ModelErrorCase{"unknown kind", "window W\ncontrol B : Nope\n", 2},
        ModelErrorCase{"unknown property", "window W\n  widht = 3\n", 2},
        ModelErrorCase{"text for a number", "window W\n  width = \"3\"\n", 2},
        ModelErrorCase{"number for a truth", "window W\n  visible = 1\n", 2},
        ModelErrorCase{"word for a text", "window W\n  caption = Title\n", 2},
        ModelErrorCase{"choice out of range", "window W\n  border = 3\n", 2},
        ModelErrorCase{"negative choice", "window W\n  border = -1\n", 2},
        ModelErrorCase{"colour too large", "window W\ncontrol B : TestBtn\n  colour = 0x100000000\n", 3},
        ModelErrorCase{"negative colour", "window W\ncontrol B : TestBtn\n  colour = -1\n", 3},
        ModelErrorCase{"TabStop on the window", "window W\n  TabStop = yes\n", 2},
        ModelErrorCase{"TabStop not a truth", "window W\ncontrol B : TestBtn\n  TabStop = 1\n", 3},
        ModelErrorCase{"TabIndex not a number", "window W\ncontrol B : TestBtn\n  TabIndex = no\n", 3},
        ModelErrorCase{"unknown event", "window W\n  on Clicked = Known\n", 2},
        ModelErrorCase{"unknown handler", "window W\n  on Created = Unknown\n", 2},
        ModelErrorCase{"menu event on a window", "window W\n  on 被选择 = Known\n", 2}), CaseName());

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LauncherForm, DescribesMainWindow) {
    HandlerTable handlers;
    std::string ran;
    for (const char* name : {"MakeTranslucent", "ShowTrayMenu", "RestoreWindow", "ExitLauncher", "HideToTray",
                             "TrimWorkingSet", "RefreshGame", "ReturnToGame", "VisitOfficialSite"}) {
        handlers.Add(name, [&ran, name](const EventArgs&) { ran = name; });
    }
    const FormParseResult parsed = ParseFormDescription(ReadFile(LAUNCHER_FORM_FILE));
    ASSERT_TRUE(parsed.description.has_value()) << Describe(parsed.error);
    const std::vector<const UnitKindSchema*> kinds = {&SuperButtonSchema(), &gameview::HtmlViewerSchema()};
    const FormModelResult result = ReadFormModel(*parsed.description, kinds, handlers, Identity);
    ASSERT_TRUE(result.model.has_value()) << Describe(result.error);

    const UnitModel& window = result.model->window;
    EXPECT_EQ(result.model->window.name, "MainWindow");
    EXPECT_EQ(window.Text(kWindowCaption), "Korvessa登录器    ");
    EXPECT_EQ(window.Integer(kWidth), 1029);
    EXPECT_EQ(window.Integer(kHeight), 630);
    EXPECT_EQ(window.Integer(kWindowBorder), kBorderFixed);
    EXPECT_FALSE(window.Truth(kWindowMaxButton));
    EXPECT_TRUE(window.Truth(kWindowMinButton));
    EXPECT_TRUE(window.Truth(kWindowEscCloses));
    EXPECT_EQ(window.Integer(kWindowPosition), 1);

    // The stored order is the stacking order, top first.
    struct Row {
        const char* name;
        long long left;
        const char* caption;
        const char* clicked;
    };
    const Row buttons[] = {{"超级按钮5", 976, "返回游戏", "ReturnToGame"},
                           {"超级按钮4", 928, "访问官网", "VisitOfficialSite"},
                           {"超级按钮3", 784, "内存优化", "TrimWorkingSet"},
                           {"超级按钮2", 880, "托盘挂机", "HideToTray"},
                           {"超级按钮1", 832, "刷新游戏", "RefreshGame"}};
    std::vector<const UnitModel*> controls;
    for (const UnitModel& unit : result.model->units) {
        if (unit.section == SectionKind::Control) controls.push_back(&unit);
    }
    // The five buttons, then the game view at the bottom of the stack.
    ASSERT_EQ(controls.size(), std::size(buttons) + 1);
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const UnitModel& button = *controls[i];
        SCOPED_TRACE(button.name);
        EXPECT_EQ(button.name, buttons[i].name);
        EXPECT_EQ(button.properties.size(), 35u);
        EXPECT_EQ(button.Integer(kLeft), buttons[i].left);
        EXPECT_EQ(button.Integer(kTop), 0);
        EXPECT_EQ(button.Integer(kWidth), 48);
        EXPECT_EQ(button.Integer(kHeight), 16);
        EXPECT_EQ(button.Text(kCaption), buttons[i].caption);
        EXPECT_EQ(button.Integer(kBtnStyle), 2);
        EXPECT_EQ(button.Integer(kFgColorOut), 0x00FF8080);
        EXPECT_EQ(button.Integer(kBkColorOut), 0x00FFFFFF);
        EXPECT_EQ(button.Integer(kFgColorIn), 0x00FF8080);
        EXPECT_EQ(button.Integer(kBkColorIn), 0x00FFFFFF);
        EXPECT_EQ(button.Integer(kFgColorFocus), 0x00FF0090);
        EXPECT_EQ(button.Integer(kBkColorFocus), 0x00F0F0F0);
        EXPECT_FALSE(button.Truth(kDrawFocus));
        EXPECT_FALSE(button.Truth(kDefaultColor));
        EXPECT_EQ(button.Text(kToolTip), "");
        EXPECT_EQ(button.Text(kFont), "");
        EXPECT_TRUE(button.tabStop);
        EXPECT_TRUE(button.Truth(kVisible));
        EXPECT_FALSE(button.Truth(kDisabled));
        button.Raise(kClickedEvent);
        EXPECT_EQ(ran, buttons[i].clicked);
    }

    const UnitModel& view = *controls.back();
    EXPECT_EQ(view.name, "超文本浏览框1");
    EXPECT_EQ(view.schema, &gameview::HtmlViewerSchema());
    EXPECT_EQ(view.properties.size(), 14u);
    EXPECT_EQ(view.Integer(kLeft), 0);
    EXPECT_EQ(view.Integer(kTop), 0);
    EXPECT_EQ(view.Integer(kWidth), 1024);
    EXPECT_EQ(view.Integer(kHeight), 624);
    EXPECT_TRUE(view.Truth(kVisible));
    EXPECT_FALSE(view.Truth(kDisabled));
    EXPECT_TRUE(view.tabStop);
    EXPECT_EQ(view.tabIndex, controls.front()->tabIndex);  // one key for all, ties in reverse stored order
    EXPECT_EQ(view.Integer(gameview::kFontSize), 2);
    EXPECT_TRUE(view.Truth(gameview::kOffline));
    EXPECT_FALSE(view.Truth(gameview::kSilent));
    EXPECT_EQ(view.Text(gameview::kUrl), LAUNCHER_START_PAGE);  // the build's start page, filled in
    ran.clear();
    for (std::size_t event = 0; event < gameview::kHtmlViewerEventCount; ++event) view.Raise(event);
    EXPECT_EQ(ran, "");  // the launcher binds none of the view's events

    ran.clear();
    window.Raise(*WindowSchema().FindEvent("Created"));
    EXPECT_EQ(ran, "MakeTranslucent");
    window.Raise(*WindowSchema().FindEvent("TrayEvent"), {1});
    EXPECT_EQ(ran, "ShowTrayMenu");

    std::vector<std::string> menus;
    for (const UnitModel& unit : result.model->units) {
        if (unit.section != SectionKind::Menu) continue;
        ran.clear();
        unit.Raise(0);
        menus.push_back(unit.name + "/" + std::to_string(unit.Integer(kMenuLevel)) + "/" + unit.Text(kMenuCaption) +
                        "/" + (unit.Truth(kMenuVisible) ? "shown" : "hidden") + "/" +
                        (unit.Truth(kMenuDisabled) || unit.Truth(kMenuChecked) ? "marked" : "plain") + "/" + ran);
    }
    EXPECT_EQ(menus, (std::vector<std::string>{"TrayMenu/0/Korv/hidden/plain/", "RestoreItem/1/启动/shown/plain/RestoreWindow",
                                               "ExitItem/1/退出/shown/plain/ExitLauncher"}));
}

}  // namespace
}  // namespace shell
