#include "gameview/html_viewer_properties.h"

#include "gameview/browser_rules.h"
#include "gameview/html_viewer_schema.h"

namespace gameview {

HtmlViewerProperties::HtmlViewerProperties(std::vector<shell::PropertyValue> properties)
    : properties_(std::move(properties)) {
    // Properties left out take their defaults, so every number below is there.
    const auto& specs = HtmlViewerSchema().properties;
    for (std::size_t i = properties_.size(); i < specs.size(); ++i) properties_.push_back(specs[i].defaultValue);
}

std::optional<shell::PropertyValue> HtmlViewerProperties::Get(std::size_t number) const {
    if (number >= properties_.size()) return std::nullopt;
    return properties_[number];
}

bool HtmlViewerProperties::Truth(std::size_t number) const { return std::get<bool>(properties_.at(number)); }

long long HtmlViewerProperties::Integer(std::size_t number) const {
    return std::get<long long>(properties_.at(number));
}

bool HtmlViewerProperties::Set(BrowserControl& control, std::size_t number, const shell::PropertyValue& value) {
    const auto& specs = HtmlViewerSchema().properties;
    if (number >= specs.size() || number == kStatusText || number == kTitle) return false;
    if (!shell::Accepts(specs[number], value)) return false;
    properties_[number] = value;
    switch (number) {
    case kFontSize: control.Zoom(ClampTextSize(std::get<long long>(value))); break;
    case kOffline: control.PutOffline(std::get<bool>(value)); break;
    case kSilent: control.PutSilent(std::get<bool>(value)); break;
    case kUrl: NavigateTo(control, std::get<std::string>(value)); break;
    default: break;
    }
    return true;
}

void HtmlViewerProperties::ApplyAtCreation(BrowserControl& control) const {
    ApplySettings(control, properties_);
    NavigateTo(control, std::get<std::string>(properties_[kUrl]));
}

void HtmlViewerProperties::NoteStatusText(std::string text) { properties_[kStatusText] = std::move(text); }

void HtmlViewerProperties::NoteTitle(std::string text) { properties_[kTitle] = std::move(text); }

}  // namespace gameview
