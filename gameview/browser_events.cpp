#include "gameview/browser_events.h"

#include <new>

#include "gameview/com_ids.h"

namespace gameview {

class BrowserEventSink final : public ComObject<IDispatch> {
public:
    static ComPtr<BrowserEventSink> Create(BrowserEventListener& listener) {
        return ComPtr<BrowserEventSink>(new (std::nothrow) BrowserEventSink(listener));
    }

    void Detach() { listener_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        IDispatch* const dispatch = this;
        return QueryInterfaceTable(
            {{kIidUnknown, dispatch}, {kIidDispatch, dispatch}, {kDiidWebBrowserEvents2, dispatch}}, iid, out);
    }

    // Called by id only; the sink has no type information to give.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* arguments, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (listener_ == nullptr || arguments == nullptr) return S_OK;
        try {
            listener_->OnBrowserEvent(id, *arguments);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    explicit BrowserEventSink(BrowserEventListener& listener) : listener_(&listener) {}
    ~BrowserEventSink() override = default;

    BrowserEventListener* listener_;
};

BrowserEvents::BrowserEvents() = default;

BrowserEvents::~BrowserEvents() { Disconnect(); }

bool BrowserEvents::Connect(IUnknown* control, BrowserEventListener& listener) {
    Disconnect();
    ComPtr<IConnectionPointContainer> points;
    if (control == nullptr || FAILED(control->QueryInterface(kIidConnectionPointContainer, points.PutVoid()))) {
        return false;
    }
    ComPtr<IConnectionPoint> point;
    if (FAILED(points->FindConnectionPoint(kDiidWebBrowserEvents2, point.Put()))) return false;
    ComPtr<BrowserEventSink> sink = BrowserEventSink::Create(listener);
    if (!sink) return false;
    IDispatch* const dispatch = sink.Get();
    DWORD cookie = 0;
    if (FAILED(point->Advise(dispatch, &cookie))) return false;
    sink_ = std::move(sink);
    point_ = std::move(point);
    cookie_ = cookie;
    return true;
}

void BrowserEvents::Disconnect() {
    if (point_) point_->Unadvise(cookie_);
    if (sink_) sink_->Detach();
    point_.Reset();
    sink_.Reset();
    cookie_ = 0;
}

}  // namespace gameview
