// The browser unit's numbered properties and what writing one does. Generic
// properties are only kept here (the unit's window follows them); the stored
// settings reach the control at once; the address is kept and opened; the
// status text and the title belong to the control, which reports them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gameview/browser_control.h"
#include "shell/unit_schema.h"

namespace gameview {

class HtmlViewerProperties {
public:
    // `properties` by number, as the form model holds them for the unit.
    explicit HtmlViewerProperties(std::vector<shell::PropertyValue> properties);

    std::optional<shell::PropertyValue> Get(std::size_t number) const;
    bool Truth(std::size_t number) const;
    long long Integer(std::size_t number) const;

    // Refuses a value of the wrong type and the control's own properties.
    bool Set(BrowserControl& control, std::size_t number, const shell::PropertyValue& value);

    // Once the control exists: the settings in their order, then the stored
    // address, so nothing is opened before it.
    void ApplyAtCreation(BrowserControl& control) const;

    void NoteStatusText(std::string text);
    void NoteTitle(std::string text);

private:
    std::vector<shell::PropertyValue> properties_;
};

}  // namespace gameview
