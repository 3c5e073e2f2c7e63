// What the form window needs of a control unit, whatever its kind: its
// window, a say in the keys it wants, and the messages the parent reflects
// back to it so each control paints and clicks itself.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "shell/form_model.h"

namespace shell {

class ControlUnit {
public:
    virtual ~ControlUnit() = default;

    virtual HWND Window() const = 0;

    // Numbered properties, as the kind's schema lists them; a write that does
    // not fit the property is refused.
    virtual std::optional<PropertyValue> Property(std::size_t number) const = 0;
    virtual bool SetProperty(std::size_t number, const PropertyValue& value) = 0;

    // A kind that wants a key for itself takes it before the window does.
    virtual bool ClaimsKey(const MSG&) const { return false; }

    // Called once every unit of the window exists, before anything is shown.
    virtual void OnFormComplete() {}

    // WM_DRAWITEM, WM_COMMAND and the like, sent to the parent about this
    // control. Returns true when handled, with the result to give back.
    virtual bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        (void)message, (void)wParam, (void)lParam, (void)result;
        return false;
    }
};

struct ControlCreation {
    const UnitModel& unit;
    HWND parent = nullptr;
    int controlId = 0;
    DWORD styles = 0;  // WS_TABSTOP and WS_DISABLED as the entry asks
};

using ControlFactory = std::function<std::unique_ptr<ControlUnit>(const ControlCreation&)>;

struct ControlKind {
    const UnitKindSchema* schema = nullptr;
    ControlFactory create;
};

}  // namespace shell
