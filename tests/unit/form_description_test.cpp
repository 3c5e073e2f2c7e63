#include "shell/form_description.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

namespace shell {
namespace {

TEST(ParseFormDescription, ReadsSectionsSettingsAndBindings) {
    const char* text =
        "# a comment\r\n"
        "window Main\r\n"
        "    caption = \"Title \\\"quoted\\\" \\x41#not a comment\"  # comment\n"
        "    width = 1029\n"
        "    colour = 0xFF000000\n"
        "    offset = -114\n"
        "    visible = yes\n"
        "    style = flat\n"
        "    on Created = MakeTranslucent\n"
        "\n"
        "control 超级按钮1 : SuperBtn\n"
        "\tleft = 832\n"
        "    on 被单击 = RefreshGame  # trailing comment\n"
        "menu TrayMenu\n"
        "    visible = no\n";
    const FormParseResult result = ParseFormDescription(text);
    ASSERT_TRUE(result.description.has_value()) << Describe(result.error);
    const FormDescription& form = *result.description;

    EXPECT_EQ(form.window.name, "Main");
    EXPECT_EQ(form.window.line, 2);
    EXPECT_EQ(std::get<std::string>(form.window.Find("caption")->value), "Title \"quoted\" A#not a comment");
    EXPECT_EQ(std::get<long long>(form.window.Find("width")->value), 1029);
    EXPECT_EQ(std::get<long long>(form.window.Find("colour")->value), 0xFF000000LL);
    EXPECT_EQ(std::get<long long>(form.window.Find("offset")->value), -114);
    EXPECT_TRUE(std::get<bool>(form.window.Find("visible")->value));
    EXPECT_EQ(std::get<Word>(form.window.Find("style")->value).text, "flat");
    ASSERT_EQ(form.window.bindings.size(), 1u);
    EXPECT_EQ(form.window.bindings[0].event, "Created");
    EXPECT_EQ(form.window.bindings[0].handler, "MakeTranslucent");

    ASSERT_EQ(form.units.size(), 2u);
    EXPECT_EQ(form.units[0].section, SectionKind::Control);
    EXPECT_EQ(form.units[0].name, "超级按钮1");
    EXPECT_EQ(form.units[0].kind, "SuperBtn");
    EXPECT_EQ(std::get<long long>(form.units[0].Find("left")->value), 832);
    EXPECT_EQ(form.units[0].bindings[0].handler, "RefreshGame");
    EXPECT_EQ(form.units[1].section, SectionKind::Menu);
    EXPECT_FALSE(std::get<bool>(form.units[1].Find("visible")->value));
    EXPECT_EQ(form.units[1].Find("missing"), nullptr);
}

TEST(ParseFormDescription, KeepsTextBytesAsStored) {
    const FormParseResult result = ParseFormDescription("window W\n  caption = \"登录器    \"\n  blob = \"\\x00\\xFF\"\n");
    ASSERT_TRUE(result.description.has_value());
    EXPECT_EQ(std::get<std::string>(result.description->window.Find("caption")->value), "登录器    ");
    EXPECT_EQ(std::get<std::string>(result.description->window.Find("blob")->value), std::string("\0\xFF", 2));
}

struct MalformedCase {
    const char* name;
    const char* text;
    int line;
};

class ParseFormDescriptionRejects : public testing::TestWithParam<MalformedCase> {};

TEST_P(ParseFormDescriptionRejects, NamesTheLine) {
    const FormParseResult result = ParseFormDescription(GetParam().text);
    EXPECT_FALSE(result.description.has_value()) << GetParam().name;
    EXPECT_EQ(result.error.line, GetParam().line) << GetParam().name << ": " << Describe(result.error);
    EXPECT_FALSE(result.error.message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ParseFormDescriptionRejects,
    testing::Values(
        MalformedCase{"empty", "", 0}, MalformedCase{"comments only", "# nothing\n\n", 0},
        MalformedCase{"unit before window", "menu M\nwindow W\n", 1},
        MalformedCase{"two windows", "window A\nwindow B\n", 2},
        MalformedCase{"unknown keyword", "window W\nbutton B\n", 2},
        MalformedCase{"section without name", "window\n", 1},
        MalformedCase{"control without kind", "window W\ncontrol B\n", 2},
        MalformedCase{"control with empty kind", "window W\ncontrol B :\n", 2},
        MalformedCase{"kind on a menu", "window W\nmenu M : X\n", 2},
        MalformedCase{"duplicate name", "window W\nmenu M\nmenu M\n", 3},
        MalformedCase{"setting outside a section", "  width = 3\nwindow W\n", 1},
        MalformedCase{"no equals sign", "window W\n  width 3\n", 2},
        MalformedCase{"missing value", "window W\n  width =\n", 2},
        MalformedCase{"bad key", "window W\n  wi dth = 3\n", 2},
        MalformedCase{"duplicate key", "window W\n  width = 3\n  width = 4\n", 3},
        MalformedCase{"not a number", "window W\n  width = 12px\n", 2},
        MalformedCase{"bare minus", "window W\n  width = -\n", 2},
        MalformedCase{"number out of range", "window W\n  width = 99999999999999999999\n", 2},
        MalformedCase{"unterminated text", "window W\n  caption = \"abc\n", 2},
        MalformedCase{"text followed by junk", "window W\n  caption = \"abc\" def\n", 2},
        MalformedCase{"unknown escape", "window W\n  caption = \"a\\qb\"\n", 2},
        MalformedCase{"short hex escape", "window W\n  caption = \"a\\x4\"\n", 2},
        MalformedCase{"escape at the end", "window W\n  caption = \"a\\", 2},
        MalformedCase{"unquoted text", "window W\n  caption = hello world\n", 2},
        MalformedCase{"binding without handler", "window W\n  on Created =\n", 2},
        MalformedCase{"binding without event", "window W\n  on = X\n", 2},
        MalformedCase{"event bound twice", "window W\n  on Created = A\n  on Created = B\n", 3}), CaseName());

TEST(ParseFormDescription, RejectsAZeroByteInsideALine) {
    const std::string text("window W\n  width = 3\0 4\n", 24);
    const FormParseResult result = ParseFormDescription(text);
    EXPECT_FALSE(result.description.has_value());
    EXPECT_EQ(result.error.line, 2);
}

TEST(Describe, PrefixesTheLine) {
    EXPECT_EQ(Describe({12, "oops"}), "line 12: oops");
    EXPECT_EQ(Describe({0, "oops"}), "oops");
}

}  // namespace
}  // namespace shell
