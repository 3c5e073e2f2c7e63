// The HtmlViewer unit: a plain host window with the system's WebBrowser
// control embedded in place, filling it. Creation runs CoCreateInstance,
// client site, in-place activation, IWebBrowser2, event connection, the
// stored settings and the stored address; tear-down, when the host window is
// destroyed, runs the same steps in reverse and checks that the control's
// last reference goes.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <memory>
#include <optional>

#include "gameview/browser_events.h"
#include "gameview/browser_site.h"
#include "gameview/com_object.h"
#include "gameview/html_viewer_properties.h"
#include "gameview/web_browser.h"
#include "shell/control_unit.h"
#include "shell/win_handles.h"

namespace gameview {

class HtmlViewer final : public shell::ControlUnit, private BrowserEventListener {
public:
    // Nothing when the host window, the control or its IWebBrowser2 cannot be had.
    static std::unique_ptr<shell::ControlUnit> Create(const shell::ControlCreation& creation);
    ~HtmlViewer() override;

    HWND Window() const override { return host_.Get(); }
    std::optional<shell::PropertyValue> Property(std::size_t number) const override;
    bool SetProperty(std::size_t number, const shell::PropertyValue& value) override;

    // The kind's one command, by its value.
    void Command(long long value);

private:
    explicit HtmlViewer(const shell::UnitModel& unit);
    static bool RegisterHostClass(HINSTANCE instance);
    bool CreateHost(const shell::ControlCreation& creation);
    bool EmbedControl();
    void CloseControl();
    void FitControl() const;

    static LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnBrowserEvent(DISPID id, DISPPARAMS& arguments) override;

    const shell::UnitModel& unit_;
    HtmlViewerProperties properties_;
    // In creation order; CloseControl lets go of them in reverse.
    shell::UniqueWindow host_;
    ComPtr<IOleObject> object_;
    ComPtr<BrowserSite> site_;
    HWND controlWindow_ = nullptr;  // the control's own window, inside the host
    std::optional<WebBrowser> browser_;
    BrowserEvents events_;
};

// BrowserCommand on a unit; nothing when the unit is not a browser unit.
void BrowserCommand(shell::ControlUnit* unit, long long value);

}  // namespace gameview
