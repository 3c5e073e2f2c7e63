#include "gameview/web_browser.h"

#include <docobj.h>

#include "gameview/com_ids.h"
#include "shell/gbk_text.h"

namespace gameview {
namespace {

OLECMDID DocumentCommandId(DocumentCommand command) {
    switch (command) {
    case DocumentCommand::SaveAs: return OLECMDID_SAVEAS;
    case DocumentCommand::Print: return OLECMDID_PRINT;
    case DocumentCommand::PrintPreview: return OLECMDID_PRINTPREVIEW;
    case DocumentCommand::PageSetup: return OLECMDID_PAGESETUP;
    }
    return OLECMDID_PAGESETUP;
}

VARIANT Variant(VARTYPE type) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}

VARIANT_BOOL VariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

void WebBrowser::GoForward() { browser_->GoForward(); }

void WebBrowser::GoBack() { browser_->GoBack(); }

void WebBrowser::GoHome() { browser_->GoHome(); }

void WebBrowser::GoSearch() { browser_->GoSearch(); }

void WebBrowser::Refresh() { browser_->Refresh(); }

void WebBrowser::Stop() { browser_->Stop(); }

void WebBrowser::RunDocumentCommand(DocumentCommand command) {
    ComPtr<IDispatch> document;
    if (FAILED(browser_->get_Document(document.Put())) || !document) return;
    const ComPtr<IOleCommandTarget> target = document.Query<IOleCommandTarget>(kIidOleCommandTarget);
    if (target) target->Exec(nullptr, DocumentCommandId(command), OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
}

void WebBrowser::Navigate(std::string_view address) {
    const std::wstring wide = shell::WideFromGbk(address);
    const UniqueBstr url(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    VARIANT flags = Variant(VT_I4);
    flags.lVal = 0;
    VARIANT targetFrame = Variant(VT_BSTR);  // a null BSTR: this view, no named frame
    targetFrame.bstrVal = nullptr;
    VARIANT headers = Variant(VT_BSTR);
    headers.bstrVal = nullptr;
    VARIANT postData = Variant(VT_EMPTY);
    browser_->Navigate(url.Get(), &flags, &targetFrame, &postData, &headers);
}

void WebBrowser::PutOffline(bool offline) { browser_->put_Offline(VariantBool(offline)); }

void WebBrowser::PutSilent(bool silent) { browser_->put_Silent(VariantBool(silent)); }

void WebBrowser::Zoom(long textSize) {
    VARIANT size = Variant(VT_I4);
    size.lVal = textSize;
    browser_->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &size, nullptr);
}

}  // namespace gameview
