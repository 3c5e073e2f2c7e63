#include "gameview/browser_site.h"

#include <new>

#include "gameview/com_ids.h"

namespace gameview {

ComPtr<BrowserSite> BrowserSite::Create(HWND host) { return ComPtr<BrowserSite>(new (std::nothrow) BrowserSite(host)); }

HRESULT BrowserSite::QueryInterface(REFIID iid, void** out) {
    IOleClientSite* const clientSite = this;
    IOleInPlaceSite* const inPlaceSite = this;
    IOleInPlaceFrame* const frame = this;
    return QueryInterfaceTable({{kIidUnknown, clientSite},
                                {kIidOleClientSite, clientSite},
                                {kIidOleWindow, inPlaceSite},
                                {kIidOleInPlaceSite, inPlaceSite},
                                {kIidOleInPlaceUIWindow, frame},
                                {kIidOleInPlaceFrame, frame}},
                               iid, out);
}

// The control is embedded for the launcher's run only: nothing is saved,
// named or linked.
HRESULT BrowserSite::SaveObject() { return E_NOTIMPL; }

HRESULT BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT BrowserSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT BrowserSite::ShowObject() { return S_OK; }

HRESULT BrowserSite::OnShowWindow(BOOL) { return S_OK; }

HRESULT BrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

HRESULT BrowserSite::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = host_;
    return S_OK;
}

HRESULT BrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT BrowserSite::CanInPlaceActivate() { return S_OK; }

HRESULT BrowserSite::OnInPlaceActivate() { return S_OK; }

HRESULT BrowserSite::OnUIActivate() { return S_OK; }

HRESULT BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                      LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || frameInfo == nullptr) {
        return E_POINTER;
    }
    // The frame is this object; there is no document window apart from it.
    AddRef();
    *frame = this;
    *document = nullptr;
    GetClientRect(host_, position);
    *clip = *position;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetAncestor(host_, GA_ROOT);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

HRESULT BrowserSite::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT BrowserSite::OnUIDeactivate(BOOL) { return S_OK; }

HRESULT BrowserSite::OnInPlaceDeactivate() { return S_OK; }

HRESULT BrowserSite::DiscardUndoState() { return E_NOTIMPL; }

HRESULT BrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }

// The host window decides the control's place: it fills the client area at
// every resize, whatever the control would like.
HRESULT BrowserSite::OnPosRectChange(LPCRECT) { return S_OK; }

HRESULT BrowserSite::GetBorder(LPRECT) { return E_NOTIMPL; }

HRESULT BrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }

HRESULT BrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }

HRESULT BrowserSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }

HRESULT BrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }

HRESULT BrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }

HRESULT BrowserSite::RemoveMenus(HMENU) { return E_NOTIMPL; }

HRESULT BrowserSite::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }

HRESULT BrowserSite::EnableModeless(BOOL) { return S_OK; }

HRESULT BrowserSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

}  // namespace gameview
