#include "gameview/html_viewer.h"

#include "gameview/browser_rules.h"
#include "gameview/com_ids.h"
#include "gameview/html_viewer_schema.h"
#include "shell/shared_properties.h"

namespace gameview {
namespace {

constexpr wchar_t kHostClass[] = L"KorvHtmlViewer";
constexpr UINT kGbkCodePage = 936;

// Status texts and titles come wide from the control; the unit keeps GBK.
std::string GbkFromBstr(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) return std::string();
    const int needed = WideCharToMultiByte(kGbkCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::string gbk(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kGbkCodePage, 0, text, length, gbk.data(), needed, nullptr, nullptr);
    return gbk;
}

// The text argument of StatusTextChange and TitleChange.
std::string TextArgument(const DISPPARAMS& arguments) {
    if (arguments.cArgs < 1 || arguments.rgvarg[0].vt != VT_BSTR) return std::string();
    return GbkFromBstr(arguments.rgvarg[0].bstrVal);
}

// BeforeNavigate2 and NewWindow2 end in a by-reference Cancel flag. With no
// handler that could refuse, the navigation or the new window always goes on.
void LetGoOn(DISPPARAMS& arguments) {
    if (arguments.cArgs < 1) return;
    VARIANT& cancel = arguments.rgvarg[0];
    if (cancel.vt == (VT_BYREF | VT_BOOL) && cancel.pboolVal != nullptr) *cancel.pboolVal = VARIANT_FALSE;
}

}  // namespace

std::unique_ptr<shell::ControlUnit> HtmlViewer::Create(const shell::ControlCreation& creation) {
    std::unique_ptr<HtmlViewer> viewer(new HtmlViewer(creation.unit));
    // On failure the viewer's destructor takes down whatever exists so far.
    if (!viewer->CreateHost(creation) || !viewer->EmbedControl()) return nullptr;
    viewer->properties_.ApplyAtCreation(*viewer->browser_);
    return viewer;
}

HtmlViewer::HtmlViewer(const shell::UnitModel& unit) : unit_(unit), properties_(unit.properties) {}

HtmlViewer::~HtmlViewer() {
    // The host's WM_DESTROY closes the control while every member still lives.
    host_.Reset();
}

bool HtmlViewer::RegisterHostClass(HINSTANCE instance) {
    WNDCLASSEXW host = {};
    host.cbSize = sizeof(host);
    if (GetClassInfoExW(instance, kHostClass, &host)) return true;
    host.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    host.lpfnWndProc = &HtmlViewer::HostProcedure;
    host.hInstance = instance;
    host.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    host.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    host.lpszClassName = kHostClass;
    return RegisterClassExW(&host) != 0;
}

bool HtmlViewer::CreateHost(const shell::ControlCreation& creation) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(creation.parent, GWLP_HINSTANCE));
    if (!RegisterHostClass(instance)) return false;
    const DWORD style = creation.styles | WS_CHILD | WS_CLIPSIBLINGS;
    const auto place = [this](std::size_t property) { return static_cast<int>(properties_.Integer(property)); };
    const HWND host = CreateWindowExW(
        0, kHostClass, L"", style, place(shell::kLeft), place(shell::kTop), place(shell::kWidth), place(shell::kHeight),
        creation.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(creation.controlId)), instance, this);
    return host != nullptr;  // bound to host_ at WM_NCCREATE
}

bool HtmlViewer::EmbedControl() {
    const HWND host = host_.Get();
    if (FAILED(CoCreateInstance(kClsidWebBrowser, nullptr, CLSCTX_INPROC_SERVER, kIidOleObject, object_.PutVoid()))) {
        return false;
    }
    site_ = BrowserSite::Create(host);
    if (!site_) return false;
    object_->SetClientSite(site_.Get());
    RECT area = {};
    GetClientRect(host, &area);
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, host, &area))) return false;
    if (const auto inPlace = object_.Query<IOleInPlaceObject>(kIidOleInPlaceObject)) {
        inPlace->GetWindow(&controlWindow_);
    }

    ComPtr<IWebBrowser2> browser = object_.Query<IWebBrowser2>(kIidWebBrowser2);
    if (!browser) return false;
    browser_.emplace(std::move(browser));
    events_.Connect(object_.Get(), *this);
    return true;
}

void HtmlViewer::CloseControl() {
    events_.Disconnect();
    browser_.reset();
    controlWindow_ = nullptr;
    if (object_) {
        if (const auto inPlace = object_.Query<IOleInPlaceObject>(kIidOleInPlaceObject)) inPlace->InPlaceDeactivate();
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        if (object_.ReleaseCounted() != 0) {
            OutputDebugStringW(L"KorvHtmlViewer: the browser control is still referenced after closing\n");
        }
    }
    site_.Reset();
}

void HtmlViewer::FitControl() const {
    if (controlWindow_ == nullptr) return;
    RECT area = {};
    GetClientRect(host_.Get(), &area);
    SetWindowPos(controlWindow_, nullptr, 0, 0, area.right, area.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<shell::PropertyValue> HtmlViewer::Property(std::size_t number) const { return properties_.Get(number); }

bool HtmlViewer::SetProperty(std::size_t number, const shell::PropertyValue& value) {
    if (!browser_ || !properties_.Set(*browser_, number, value)) return false;
    if (number < shell::kFirstOwnProperty) {
        const auto stored = [this](std::size_t property) { return *properties_.Get(property); };
        shell::ApplySharedProperty(host_.Get(), number, stored);
    }
    return true;
}

void HtmlViewer::Command(long long value) {
    if (browser_) RunBrowserCommand(*browser_, value);
}

void BrowserCommand(shell::ControlUnit* unit, long long value) {
    if (auto* viewer = dynamic_cast<HtmlViewer*>(unit)) viewer->Command(value);
}

LRESULT CALLBACK HtmlViewer::HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HtmlViewer*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->host_.Reset(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HtmlViewer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->host_.Release();  // gone by itself, with its parent or by host_.Reset()
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT HtmlViewer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND host = host_.Get();
    switch (message) {
    case WM_SIZE: FitControl(); return 0;
    case WM_SETFOCUS:
        if (controlWindow_ != nullptr) SetFocus(controlWindow_);
        return 0;
    case WM_DESTROY: CloseControl(); return 0;
    default: return DefWindowProcW(host, message, wParam, lParam);
    }
}

void HtmlViewer::OnBrowserEvent(DISPID id, DISPPARAMS& arguments) {
    const std::optional<std::size_t> event = EventForDispatchId(id);
    if (!event) return;
    if (*event == kStatusTextChangeEvent) properties_.NoteStatusText(TextArgument(arguments));
    if (*event == kTitleChangeEvent) properties_.NoteTitle(TextArgument(arguments));
    unit_.Raise(*event);
    if (*event == kBeforeNavigateEvent || *event == kNewWindowEvent) LetGoOn(arguments);
}

}  // namespace gameview
