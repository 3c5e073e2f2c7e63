#include "gameview/browser_rules.h"
#include "gameview/html_viewer_properties.h"
#include "gameview/html_viewer_schema.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

#include <climits>
#include <string>
#include <vector>

namespace gameview {
namespace {

using Calls = std::vector<std::string>;

// Stands in for the browser control and writes down every call it gets.
class RecordingBrowser final : public BrowserControl {
public:
    Calls calls;

    void GoForward() override { calls.push_back("GoForward"); }
    void GoBack() override { calls.push_back("GoBack"); }
    void GoHome() override { calls.push_back("GoHome"); }
    void GoSearch() override { calls.push_back("GoSearch"); }
    void Refresh() override { calls.push_back("Refresh"); }
    void Stop() override { calls.push_back("Stop"); }
    void RunDocumentCommand(DocumentCommand command) override {
        switch (command) {
        case DocumentCommand::SaveAs: calls.push_back("Document SaveAs"); break;
        case DocumentCommand::Print: calls.push_back("Document Print"); break;
        case DocumentCommand::PrintPreview: calls.push_back("Document PrintPreview"); break;
        case DocumentCommand::PageSetup: calls.push_back("Document PageSetup"); break;
        }
    }
    void Navigate(std::string_view address) override { calls.push_back("Navigate " + std::string(address)); }
    void PutOffline(bool offline) override { calls.push_back(offline ? "Offline on" : "Offline off"); }
    void PutSilent(bool silent) override { calls.push_back(silent ? "Silent on" : "Silent off"); }
    void Zoom(long textSize) override { calls.push_back("Zoom " + std::to_string(textSize)); }
};

std::vector<shell::PropertyValue> Defaults() {
    std::vector<shell::PropertyValue> properties;
    for (const shell::PropertySpec& spec : HtmlViewerSchema().properties) properties.push_back(spec.defaultValue);
    return properties;
}

struct CommandCase {
    const char* name;
    long long value;
    const char* call;  // nullptr: the value names no command
};

class BrowserCommandTable : public testing::TestWithParam<CommandCase> {};

TEST_P(BrowserCommandTable, MakesExactlyTheNamedCall) {
    RecordingBrowser browser;
    const bool known = RunBrowserCommand(browser, GetParam().value);
    if (GetParam().call == nullptr) {
        EXPECT_FALSE(known);
        EXPECT_EQ(browser.calls, Calls());
    } else {
        EXPECT_TRUE(known);
        EXPECT_EQ(browser.calls, Calls{GetParam().call});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, BrowserCommandTable,
    testing::Values(CommandCase{"forward", 0, "GoForward"}, CommandCase{"back", 1, "GoBack"},
                    CommandCase{"home", 2, "GoHome"}, CommandCase{"search", 3, "GoSearch"},
                    CommandCase{"refresh", 4, "Refresh"}, CommandCase{"stop", 5, "Stop"},
                    CommandCase{"save as", 6, "Document SaveAs"}, CommandCase{"print", 7, "Document Print"},
                    CommandCase{"print preview", 8, "Document PrintPreview"},
                    CommandCase{"page setup", 9, "Document PageSetup"}, CommandCase{"one past the last", 10, nullptr},
                    CommandCase{"minus one", -1, nullptr}, CommandCase{"far above", 1LL << 40, nullptr},
                    CommandCase{"far below", LLONG_MIN, nullptr}),
    CaseName());

struct SizeCase {
    const char* name;
    long long stored;
    long applied;
};

class TextSizeClamp : public testing::TestWithParam<SizeCase> {};

TEST_P(TextSizeClamp, KeepsTheSizeWithinTheControlsRange) {
    EXPECT_EQ(ClampTextSize(GetParam().stored), GetParam().applied);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TextSizeClamp,
                         testing::Values(SizeCase{"stored medium", 2, 2}, SizeCase{"smallest", 0, 0},
                                         SizeCase{"largest", 4, 4}, SizeCase{"above", 7, 4}, SizeCase{"below", -3, 0},
                                         SizeCase{"far above", LLONG_MAX, 4}, SizeCase{"far below", LLONG_MIN, 0}),
                         CaseName());

struct SettingsCase {
    const char* name;
    long long fontSize;
    bool offline;
    bool silent;
    const char* url;
    Calls calls;
};

class SettingsAtCreation : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsAtCreation, GoInInOrderThenTheAddressOpens) {
    std::vector<shell::PropertyValue> properties = Defaults();
    properties[kFontSize] = GetParam().fontSize;
    properties[kOffline] = GetParam().offline;
    properties[kSilent] = GetParam().silent;
    properties[kUrl] = std::string(GetParam().url);
    RecordingBrowser browser;
    HtmlViewerProperties(properties).ApplyAtCreation(browser);
    EXPECT_EQ(browser.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, SettingsAtCreation,
    testing::Values(
        SettingsCase{"launcher", 2, true, false, "http://game/index.html",
                     {"Offline on", "Silent off", "Zoom 2", "Navigate http://game/index.html"}},
        SettingsCase{"size above range", 7, false, true, "a", {"Offline off", "Silent on", "Zoom 4", "Navigate a"}},
        SettingsCase{"size below range", -3, true, true, "a", {"Offline on", "Silent on", "Zoom 0", "Navigate a"}},
        SettingsCase{"no address", 2, false, false, "",
                     {"Offline off", "Silent off", "Zoom 2", "Navigate about:blank"}}),
    CaseName());

TEST(SettingsAtCreation, DefaultsOfTheKind) {
    RecordingBrowser browser;
    HtmlViewerProperties(Defaults()).ApplyAtCreation(browser);
    EXPECT_EQ(browser.calls, (Calls{"Offline off", "Silent off", "Zoom 2", "Navigate about:blank"}));
}

struct AddressCase {
    const char* name;
    std::string written;
    std::string opened;
};

class NavigationRule : public testing::TestWithParam<AddressCase> {};

TEST_P(NavigationRule, PassesTheTextOnAsWritten) {
    EXPECT_EQ(NavigationAddress(GetParam().written), GetParam().opened);

    // Writing the address keeps the text as written and opens it by the rule.
    HtmlViewerProperties properties(Defaults());
    RecordingBrowser browser;
    ASSERT_TRUE(properties.Set(browser, kUrl, GetParam().written));
    EXPECT_EQ(properties.Get(kUrl), shell::PropertyValue(GetParam().written));
    EXPECT_EQ(browser.calls, Calls{"Navigate " + GetParam().opened});
}

INSTANTIATE_TEST_SUITE_P(Addresses, NavigationRule,
                         testing::Values(AddressCase{"empty", "", "about:blank"},
                                         AddressCase{"bare host", "www.korvessa.com", "www.korvessa.com"},
                                         AddressCase{"start page", "http://game.korvessa.com/index.html",
                                                     "http://game.korvessa.com/index.html"},
                                         AddressCase{"blanks kept", "  www.korvessa.com ", "  www.korvessa.com "},
                                         AddressCase{"a single blank", " ", " "},
                                         AddressCase{"other scheme", "ftp://korvessa.com/", "ftp://korvessa.com/"},
                                         AddressCase{"GBK text", "\xD3\xCE\xCF\xB7.html", "\xD3\xCE\xCF\xB7.html"}),
                         CaseName());

TEST(NavigationRule, EveryWriteNavigatesEvenToTheSameAddress) {
    HtmlViewerProperties properties(Defaults());
    RecordingBrowser browser;
    properties.Set(browser, kUrl, std::string("www.korvessa.com"));
    properties.Set(browser, kUrl, std::string("www.korvessa.com"));
    EXPECT_EQ(browser.calls, (Calls{"Navigate www.korvessa.com", "Navigate www.korvessa.com"}));
}

struct WriteCase {
    const char* name;
    std::size_t number;
    shell::PropertyValue value;
    bool accepted;
    Calls calls;
};

class PropertyWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(PropertyWrite, IsKeptAndReachesTheControlOrIsRefused) {
    HtmlViewerProperties properties(Defaults());
    RecordingBrowser browser;
    const std::optional<shell::PropertyValue> before = properties.Get(GetParam().number);
    EXPECT_EQ(properties.Set(browser, GetParam().number, GetParam().value), GetParam().accepted);
    EXPECT_EQ(browser.calls, GetParam().calls);
    EXPECT_EQ(properties.Get(GetParam().number), GetParam().accepted ? GetParam().value : before);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, PropertyWrite,
    testing::Values(WriteCase{"size kept as written, applied clamped", kFontSize, 7LL, true, {"Zoom 4"}},
                    WriteCase{"negative size", kFontSize, -3LL, true, {"Zoom 0"}},
                    WriteCase{"offline", kOffline, true, true, {"Offline on"}},
                    WriteCase{"silent", kSilent, true, true, {"Silent on"}},
                    WriteCase{"address", kUrl, std::string("www.korvessa.com"), true, {"Navigate www.korvessa.com"}},
                    WriteCase{"generic left, for the window only", shell::kLeft, 10LL, true, {}},
                    WriteCase{"generic visible", shell::kVisible, false, true, {}},
                    WriteCase{"status text is the control's", kStatusText, std::string("x"), false, {}},
                    WriteCase{"title is the control's", kTitle, std::string("x"), false, {}},
                    WriteCase{"size as text", kFontSize, std::string("2"), false, {}},
                    WriteCase{"offline as number", kOffline, 1LL, false, {}},
                    WriteCase{"address as number", kUrl, 5LL, false, {}},
                    WriteCase{"no such property", kHtmlViewerPropertyCount, 1LL, false, {}}),
    CaseName());

TEST(PropertyWrite, StatusTextAndTitleFollowTheControl) {
    HtmlViewerProperties properties(Defaults());
    properties.NoteStatusText("\xD4\xD8\xC8\xEB");  // 载入
    properties.NoteTitle("Korvessa");
    EXPECT_EQ(properties.Get(kStatusText), shell::PropertyValue(std::string("\xD4\xD8\xC8\xEB")));
    EXPECT_EQ(properties.Get(kTitle), shell::PropertyValue(std::string("Korvessa")));
}

TEST(PropertyWrite, MissingTrailingPropertiesTakeTheirDefaults) {
    std::vector<shell::PropertyValue> generic = Defaults();
    generic.resize(shell::kFirstOwnProperty);
    HtmlViewerProperties properties(generic);
    EXPECT_EQ(properties.Get(kFontSize), shell::PropertyValue(2LL));
    EXPECT_EQ(properties.Get(kUrl), shell::PropertyValue(std::string()));
    EXPECT_EQ(properties.Get(kHtmlViewerPropertyCount), std::nullopt);
}

}  // namespace
}  // namespace gameview
