// What the browser unit needs of the web-browser control, as plain calls, so
// the rules that drive it (which command value does what, the order in which
// the settings go in, how an address is handed over) run against a recording
// stand-in in the native tests as well as against the real control.
#pragma once

#include <string_view>

namespace gameview {

// Commands that act on the document showing, not on the control.
enum class DocumentCommand { SaveAs, Print, PrintPreview, PageSetup };

class BrowserControl {
public:
    virtual ~BrowserControl() = default;

    virtual void GoForward() = 0;
    virtual void GoBack() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
    // Nothing when no document is showing.
    virtual void RunDocumentCommand(DocumentCommand command) = 0;

    // `address` is GBK text, passed on as it is.
    virtual void Navigate(std::string_view address) = 0;

    virtual void PutOffline(bool offline) = 0;
    virtual void PutSilent(bool silent) = 0;
    // The text size, 0 (smallest) to 4 (largest).
    virtual void Zoom(long textSize) = 0;
};

}  // namespace gameview
