// The unit's ear on the control: an IDispatch advised for DWebBrowserEvents2
// that passes each notification to a listener. Disconnecting unadvises first
// and then detaches the listener, so a call the control still makes reaches
// nobody.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "gameview/com_object.h"

namespace gameview {

class BrowserEventListener {
public:
    // `arguments` as the control gave them, last argument first.
    virtual void OnBrowserEvent(DISPID id, DISPPARAMS& arguments) = 0;

protected:
    ~BrowserEventListener() = default;
};

class BrowserEventSink;

class BrowserEvents {
public:
    BrowserEvents();
    ~BrowserEvents();
    BrowserEvents(const BrowserEvents&) = delete;
    BrowserEvents& operator=(const BrowserEvents&) = delete;

    // `control` is any interface of the browser control.
    bool Connect(IUnknown* control, BrowserEventListener& listener);
    void Disconnect();

private:
    ComPtr<BrowserEventSink> sink_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace gameview
