// The browser control as the unit's rules see it: each BrowserControl call
// made on the control's IWebBrowser2 with its documented arguments, results
// not examined. Holds the unit's IWebBrowser2 reference.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include "gameview/browser_control.h"
#include "gameview/com_object.h"

namespace gameview {

class WebBrowser final : public BrowserControl {
public:
    explicit WebBrowser(ComPtr<IWebBrowser2> browser) : browser_(std::move(browser)) {}

    void GoForward() override;
    void GoBack() override;
    void GoHome() override;
    void GoSearch() override;
    void Refresh() override;
    void Stop() override;
    void RunDocumentCommand(DocumentCommand command) override;
    void Navigate(std::string_view address) override;
    void PutOffline(bool offline) override;
    void PutSilent(bool silent) override;
    void Zoom(long textSize) override;

private:
    ComPtr<IWebBrowser2> browser_;
};

}  // namespace gameview
