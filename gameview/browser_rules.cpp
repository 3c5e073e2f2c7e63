#include "gameview/browser_rules.h"

#include "gameview/html_viewer_schema.h"

namespace gameview {
namespace {

constexpr char kBlankPage[] = "about:blank";

struct DispatchEvent {
    long dispatchId;
    std::size_t event;
};

// Dispatch ids as DWebBrowserEvents2 numbers them.
constexpr DispatchEvent kDispatchEvents[] = {
    {250, kBeforeNavigateEvent},      // BeforeNavigate2
    {252, kNavigateCompleteEvent},    // NavigateComplete2
    {106, kDownloadBeginEvent},       // DownloadBegin
    {108, kProgressChangeEvent},      // ProgressChange
    {104, kDownloadCompleteEvent},    // DownloadComplete
    {259, kDocumentCompleteEvent},    // DocumentComplete
    {102, kStatusTextChangeEvent},    // StatusTextChange
    {113, kTitleChangeEvent},         // TitleChange
    {105, kCommandStateChangeEvent},  // CommandStateChange
    {251, kNewWindowEvent},           // NewWindow2
};

}  // namespace

long ClampTextSize(long long stored) {
    if (stored < kSmallestTextSize) return kSmallestTextSize;
    if (stored > kLargestTextSize) return kLargestTextSize;
    return static_cast<long>(stored);
}

std::string NavigationAddress(std::string_view text) {
    return text.empty() ? std::string(kBlankPage) : std::string(text);
}

void NavigateTo(BrowserControl& control, std::string_view text) { control.Navigate(NavigationAddress(text)); }

bool RunBrowserCommand(BrowserControl& control, long long value) {
    switch (value) {
    case kGoForward: control.GoForward(); return true;
    case kGoBack: control.GoBack(); return true;
    case kGoHome: control.GoHome(); return true;
    case kGoSearch: control.GoSearch(); return true;
    case kRefresh: control.Refresh(); return true;
    case kStop: control.Stop(); return true;
    case kSaveAs: control.RunDocumentCommand(DocumentCommand::SaveAs); return true;
    case kPrint: control.RunDocumentCommand(DocumentCommand::Print); return true;
    case kPrintPreview: control.RunDocumentCommand(DocumentCommand::PrintPreview); return true;
    case kPageSetup: control.RunDocumentCommand(DocumentCommand::PageSetup); return true;
    default: return false;
    }
}

void ApplySettings(BrowserControl& control, const std::vector<shell::PropertyValue>& properties) {
    control.PutOffline(std::get<bool>(properties.at(kOffline)));
    control.PutSilent(std::get<bool>(properties.at(kSilent)));
    control.Zoom(ClampTextSize(std::get<long long>(properties.at(kFontSize))));
}

std::optional<std::size_t> EventForDispatchId(long dispatchId) {
    for (const DispatchEvent& entry : kDispatchEvents) {
        if (entry.dispatchId == dispatchId) return entry.event;
    }
    return std::nullopt;
}

}  // namespace gameview
