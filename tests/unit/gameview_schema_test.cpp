#include "gameview/browser_rules.h"
#include "gameview/html_viewer_schema.h"
#include "shell/form_model.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

#include <string>
#include <vector>

namespace gameview {
namespace {

using shell::PropertyType;
using shell::PropertyValue;

TEST(HtmlViewerSchema, NumbersItsOwnPropertiesAfterTheGenericOnes) {
    struct Row {
        std::size_t number;
        const char* name;
        const char* englishName;
        PropertyType type;
        PropertyValue defaultValue;
    };
    const Row rows[] = {
        {kFontSize, "字体大小", "FontSize", PropertyType::Integer, 2LL},
        {kOffline, "离线浏览", "Offline", PropertyType::Truth, false},
        {kSilent, "静默", "Silent", PropertyType::Truth, false},
        {kUrl, "地址", "url", PropertyType::Text, std::string()},
        {kStatusText, "状态条文本", "StatusText", PropertyType::Text, std::string()},
        {kTitle, "标题", "title", PropertyType::Text, std::string()},
    };
    const shell::UnitKindSchema& schema = HtmlViewerSchema();
    EXPECT_EQ(schema.kind, "HtmlViewer");
    ASSERT_EQ(schema.properties.size(), 14u);
    EXPECT_EQ(schema.FindProperty("可视"), shell::kVisible);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.englishName);
        EXPECT_EQ(schema.FindProperty(row.name), row.number);
        EXPECT_EQ(schema.FindProperty(row.englishName), row.number);
        const shell::PropertySpec& spec = schema.properties[row.number];
        EXPECT_EQ(spec.type, row.type);
        EXPECT_EQ(spec.defaultValue, row.defaultValue);
    }
}

TEST(HtmlViewerSchema, OffersTenEventsInBindingOrder) {
    const std::vector<std::string_view> expected = {"即将跳转",       "跳转完毕",      "载入开始",       "载入进度改变",
                                                    "载入完毕",       "已就绪",        "状态文本被改变", "标题被改变",
                                                    "命令状态被改变", "即将打开新窗口"};
    EXPECT_EQ(HtmlViewerSchema().events, expected);
    EXPECT_EQ(HtmlViewerSchema().FindEvent("即将跳转"), kBeforeNavigateEvent);
    EXPECT_EQ(HtmlViewerSchema().FindEvent("即将打开新窗口"), kNewWindowEvent);
}

struct StoredCase {
    const char* name;
    const char* setting;
    bool accepted;
};

class HtmlViewerStoredSetting : public testing::TestWithParam<StoredCase> {};

std::optional<std::string> Identity(std::string_view text) { return std::string(text); }

TEST_P(HtmlViewerStoredSetting, IsTypedByTheKind) {
    const std::string text =
        std::string("window W\ncontrol 超文本浏览框1 : HtmlViewer\n    ") + GetParam().setting + "\n";
    const shell::FormParseResult parsed = shell::ParseFormDescription(text);
    ASSERT_TRUE(parsed.description.has_value()) << shell::Describe(parsed.error);
    const shell::FormModelResult read =
        shell::ReadFormModel(*parsed.description, {&HtmlViewerSchema()}, shell::HandlerTable(), Identity);
    EXPECT_EQ(read.model.has_value(), GetParam().accepted) << shell::Describe(read.error);
}

INSTANTIATE_TEST_SUITE_P(Settings, HtmlViewerStoredSetting,
                         testing::Values(StoredCase{"medium size", "FontSize = 2", true},
                                         StoredCase{"size above the range", "FontSize = 7", true},
                                         StoredCase{"size below the range", "字体大小 = -3", true},
                                         StoredCase{"size as text", "FontSize = \"2\"", false},
                                         StoredCase{"offline", "Offline = yes", true},
                                         StoredCase{"offline as number", "离线浏览 = 1", false},
                                         StoredCase{"silent", "静默 = no", true},
                                         StoredCase{"address", "url = \"www.korvessa.com\"", true},
                                         StoredCase{"address as word", "地址 = about", false}),
                         CaseName());

TEST(HtmlViewerStoredSetting, KeepsAnOutOfRangeSizeAsStored) {
    const shell::FormParseResult parsed =
        shell::ParseFormDescription("window W\ncontrol V : HtmlViewer\n    FontSize = 7\n");
    ASSERT_TRUE(parsed.description.has_value());
    const shell::FormModelResult read =
        shell::ReadFormModel(*parsed.description, {&HtmlViewerSchema()}, shell::HandlerTable(), Identity);
    ASSERT_TRUE(read.model.has_value()) << shell::Describe(read.error);
    EXPECT_EQ(read.model->units.at(0).Integer(kFontSize), 7);
    EXPECT_EQ(ClampTextSize(read.model->units.at(0).Integer(kFontSize)), 4);
}

struct DispatchCase {
    const char* name;
    long dispatchId;
    const char* event;  // nullptr: raises nothing
};

class BrowserNotification : public testing::TestWithParam<DispatchCase> {};

TEST_P(BrowserNotification, RaisesItsEvent) {
    const std::optional<std::size_t> event = EventForDispatchId(GetParam().dispatchId);
    if (GetParam().event == nullptr) {
        EXPECT_EQ(event, std::nullopt);
    } else {
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(HtmlViewerSchema().events.at(*event), GetParam().event);
    }
}

// Dispatch ids of DWebBrowserEvents2.
INSTANTIATE_TEST_SUITE_P(
    DispatchIds, BrowserNotification,
    testing::Values(
        DispatchCase{"BeforeNavigate2", 250, "即将跳转"}, DispatchCase{"NavigateComplete2", 252, "跳转完毕"},
        DispatchCase{"DownloadBegin", 106, "载入开始"}, DispatchCase{"ProgressChange", 108, "载入进度改变"},
        DispatchCase{"DownloadComplete", 104, "载入完毕"}, DispatchCase{"DocumentComplete", 259, "已就绪"},
        DispatchCase{"StatusTextChange", 102, "状态文本被改变"}, DispatchCase{"TitleChange", 113, "标题被改变"},
        DispatchCase{"CommandStateChange", 105, "命令状态被改变"}, DispatchCase{"NewWindow2", 251, "即将打开新窗口"},
        DispatchCase{"NavigateError", 271, nullptr}, DispatchCase{"NewWindow3", 273, nullptr},
        DispatchCase{"OnQuit", 253, nullptr}, DispatchCase{"none", 0, nullptr}),
    CaseName());

}  // namespace
}  // namespace gameview
