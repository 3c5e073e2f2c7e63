// The game view against the real WebBrowser control, in one process: a
// parent window, an HtmlViewer unit made the way the form runtime makes it,
// and a loopback HTTP server run by the driver (run_probe.py), whose request
// log the probe reads to see what reached the network. Each check prints
// PASS or FAIL; what the control did that is the control's own business
// prints as NOTE. The exit code is the number of failures.
//
//   html_viewer_probe.exe <port> <request log path> <bare host on port 80, or ->
#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <docobj.h>
#include <exdispid.h>
#include <ocidl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gameview/browser_events.h"
#include "gameview/browser_rules.h"
#include "gameview/browser_site.h"
#include "gameview/com_ids.h"
#include "gameview/com_object.h"
#include "gameview/html_viewer.h"
#include "gameview/html_viewer_schema.h"
#include "gameview/web_browser.h"
#include "shell/form_model.h"
#include "shell/win_handles.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what, const std::string& detail = std::string()) {
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

void Note(const std::string& finding) {
    std::printf("NOTE %s\n", finding.c_str());
    std::fflush(stdout);
}

// Runs the message loop until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

// Lets the control finish what it is doing, for checks that nothing happens.
void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

class RequestLog {
public:
    explicit RequestLog(std::string path) : path_(std::move(path)) {}

    std::vector<std::string> Lines() const {
        std::ifstream in(path_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::size_t Count(const std::string& path) const {
        std::size_t count = 0;
        for (const std::string& line : Lines()) count += line == path ? 1 : 0;
        return count;
    }
    bool WaitFor(const std::string& path, std::size_t count, DWORD milliseconds) const {
        return PumpUntil([&] { return Count(path) >= count; }, milliseconds);
    }

private:
    std::string path_;
};

struct EventLog {
    std::vector<std::string> names;

    std::size_t Count(std::string_view name) const {
        std::size_t count = 0;
        for (const std::string& seen : names) count += seen == name ? 1 : 0;
        return count;
    }
    std::string Since(std::size_t first) const {
        std::string joined;
        for (std::size_t i = first; i < names.size(); ++i) joined += (joined.empty() ? "" : " ") + names[i];
        return joined.empty() ? "(none)" : joined;
    }
};

// The unit keeps GBK; the probe prints UTF-8, as the event names are.
std::string Utf8FromGbk(std::string_view gbk) {
    const int size = static_cast<int>(gbk.size());
    const int wideLength = MultiByteToWideChar(936, 0, gbk.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), size, wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string TextProperty(const shell::ControlUnit& unit, std::size_t number) {
    const auto value = unit.Property(number);
    const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
    return text != nullptr ? *text : std::string("(not a text)");
}

shell::UnitModel BrowserUnit(const std::string& startPage, EventLog& events) {
    const shell::UnitKindSchema& schema = gameview::HtmlViewerSchema();
    shell::UnitModel unit;
    unit.section = shell::SectionKind::Control;
    unit.name = "超文本浏览框1";
    unit.schema = &schema;
    for (const shell::PropertySpec& spec : schema.properties) unit.properties.push_back(spec.defaultValue);
    unit.properties[shell::kWidth] = 1024LL;
    unit.properties[shell::kHeight] = 624LL;
    unit.properties[gameview::kOffline] = true;
    unit.properties[gameview::kUrl] = startPage;
    for (const std::string_view name : schema.events) {
        unit.events.push_back([&events, name](const shell::EventArgs&) { events.names.push_back(std::string(name)); });
    }
    unit.tabStop = true;
    return unit;
}

void CheckIdentifiers() {
    struct Pair {
        const char* name;
        const GUID& ours;
        const GUID& sdk;
    };
    const Pair pairs[] = {
        {"CLSID_WebBrowser", gameview::kClsidWebBrowser, CLSID_WebBrowser},
        {"IID_IUnknown", gameview::kIidUnknown, IID_IUnknown},
        {"IID_IDispatch", gameview::kIidDispatch, IID_IDispatch},
        {"IID_IOleObject", gameview::kIidOleObject, IID_IOleObject},
        {"IID_IOleInPlaceObject", gameview::kIidOleInPlaceObject, IID_IOleInPlaceObject},
        {"IID_IOleWindow", gameview::kIidOleWindow, IID_IOleWindow},
        {"IID_IOleInPlaceUIWindow", gameview::kIidOleInPlaceUIWindow, IID_IOleInPlaceUIWindow},
        {"IID_IOleInPlaceFrame", gameview::kIidOleInPlaceFrame, IID_IOleInPlaceFrame},
        {"IID_IOleClientSite", gameview::kIidOleClientSite, IID_IOleClientSite},
        {"IID_IOleInPlaceSite", gameview::kIidOleInPlaceSite, IID_IOleInPlaceSite},
        {"IID_IConnectionPointContainer", gameview::kIidConnectionPointContainer, IID_IConnectionPointContainer},
        {"IID_IOleCommandTarget", gameview::kIidOleCommandTarget, IID_IOleCommandTarget},
        {"IID_IWebBrowser2", gameview::kIidWebBrowser2, IID_IWebBrowser2},
        {"DIID_DWebBrowserEvents2", gameview::kDiidWebBrowserEvents2, DIID_DWebBrowserEvents2},
    };
    for (const Pair& pair : pairs) {
        Check(IsEqualGUID(pair.ours, pair.sdk) != FALSE, std::string("identifier ") + pair.name);
    }
}

// What the control says it was asked to open, from BeforeNavigate2.
class NavigationWitness final : public gameview::BrowserEventListener {
public:
    bool seen = false;
    std::wstring url;
    std::string others;

    void OnBrowserEvent(DISPID id, DISPPARAMS& arguments) override {
        // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel: last first.
        if (id != DISPID_BEFORENAVIGATE2 || arguments.cArgs != 7 || seen) return;
        seen = true;
        const VARIANT* address = Deref(arguments.rgvarg[5]);
        if (address != nullptr && address->vt == VT_BSTR && address->bstrVal != nullptr) url = address->bstrVal;
        others = "flags " + Describe(arguments.rgvarg[4]) + ", target frame " + Describe(arguments.rgvarg[3]) +
                 ", post data " + Describe(arguments.rgvarg[2]) + ", headers " + Describe(arguments.rgvarg[1]);
    }

private:
    static const VARIANT* Deref(const VARIANT& value) {
        return value.vt == (VT_BYREF | VT_VARIANT) ? value.pvarVal : &value;
    }
    static std::string Describe(const VARIANT& value) {
        const VARIANT* inner = Deref(value);
        if (inner == nullptr) return "null";
        std::string text = "vt " + std::to_string(inner->vt);
        if (inner->vt == VT_I4) text += " = " + std::to_string(inner->lVal);
        if (inner->vt == VT_BSTR && inner->bstrVal == nullptr) text += " (null)";
        if (inner->vt == VT_BSTR && inner->bstrVal != nullptr) {
            text += " (" + std::to_string(SysStringLen(inner->bstrVal)) + " chars)";
        }
        return text;
    }
};

// A control the probe embeds itself with the unit's site and closes the way
// the unit does, to look at what the unit keeps to itself.
class ProbeControl {
public:
    explicit ProbeControl(HWND parent)
        : host_(CreateWindowExW(0, L"KorvProbeParent", L"", WS_CHILD, 0, 0, 200, 100, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr)),
          site_(gameview::BrowserSite::Create(host_.Get())) {
        CoCreateInstance(gameview::kClsidWebBrowser, nullptr, CLSCTX_INPROC_SERVER, gameview::kIidOleObject,
                         object_.PutVoid());
        if (!object_ || !site_) return;
        object_->SetClientSite(site_.Get());
        RECT area = {0, 0, 200, 100};
        object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, host_.Get(), &area);
    }

    bool Ready() const { return object_ && site_; }
    IUnknown* Object() const { return object_.Get(); }
    gameview::ComPtr<IWebBrowser2> Browser() const { return object_.Query<IWebBrowser2>(gameview::kIidWebBrowser2); }

    // References the control still has at its release, and after a few
    // seconds of messages.
    std::pair<ULONG, ULONG> Close() {
        if (const auto inPlace = object_.Query<IOleInPlaceObject>(gameview::kIidOleInPlaceObject)) {
            inPlace->InPlaceDeactivate();
        }
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        IOleObject* const watched = object_.Get();
        watched->AddRef();
        const ULONG left = object_.ReleaseCounted() - 1;
        PumpFor(3000);
        const ULONG later = watched->Release();
        site_.Reset();
        return {left, later};
    }

private:
    shell::UniqueWindow host_;
    gameview::ComPtr<gameview::BrowserSite> site_;
    gameview::ComPtr<IOleObject> object_;
};

std::string Counts(const std::pair<ULONG, ULONG>& counts) {
    return std::to_string(counts.first) + " left, " + std::to_string(counts.second) + " after 3 s of messages";
}

// The address conversion as the control receives it.
void CheckNavigateArguments(HWND parent, const std::string& base, const RequestLog& requests) {
    ProbeControl control(parent);
    Check(control.Ready(), "a control of the probe's own");
    if (!control.Ready()) return;
    {
        NavigationWitness witness;
        gameview::BrowserEvents events;
        Check(events.Connect(control.Object(), witness), "its events connect");
        gameview::WebBrowser browser(control.Browser());
        browser.Navigate(base + "/\xD3\xCE\xCF\xB7.html");  // 游戏 in GBK
        PumpUntil([&] { return witness.seen; }, 20000);
        const std::wstring expected = std::wstring(base.begin(), base.end()) + L"/\u6E38\u620F.html";
        Check(witness.url == expected, "a GBK address reaches the control as its characters");
        Note("Navigate as the control reports it: " + witness.others);
        // Done with the network before the unit's own requests are counted.
        PumpUntil([&] { return !requests.Lines().empty(); }, 20000);
        PumpFor(1000);
    }
    const auto counts = control.Close();
    Check(counts.first == 0, "the control's last reference goes at its release once loading is over", Counts(counts));
}

HWND FirstChild(HWND parent) { return GetWindow(parent, GW_CHILD); }

void CheckHostAndControl(HWND parent, const shell::ControlUnit& view) {
    const HWND host = view.Window();
    Check(GetParent(host) == parent, "the host window is a child of the parent");
    wchar_t className[64] = {};
    GetClassNameW(host, className, 64);
    WNDCLASSEXW hostClass = {};
    hostClass.cbSize = sizeof(hostClass);
    const bool known = GetClassInfoExW(GetModuleHandleW(nullptr), className, &hostClass) != FALSE;
    Check(known && hostClass.style == (CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW), "host class styles",
          std::to_string(hostClass.style));
    Check(known && hostClass.hbrBackground == GetStockObject(WHITE_BRUSH), "host class has the white brush");
    Check(known && hostClass.hCursor == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
          "host class has the arrow cursor");

    const LONG_PTR style = GetWindowLongPtrW(host, GWL_STYLE);
    const LONG_PTR wanted = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP;
    Check((style & wanted) == wanted && (style & WS_CAPTION) == 0 && (style & WS_VISIBLE) == 0,
          "host styles: the ones passed plus child and clip-siblings, no caption, created hidden",
          std::to_string(style));
    RECT place = {};
    GetWindowRect(host, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    Check(place.left == 0 && place.top == 0 && place.right == 1024 && place.bottom == 624, "host at 0,0 1024x624");

    const HWND control = FirstChild(host);
    Check(control != nullptr, "the control's window is inside the host");
    if (control == nullptr) return;
    RECT area = {};
    GetWindowRect(control, &area);
    Check(area.right - area.left == 1024 && area.bottom - area.top == 624, "the control fills the host",
          std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top));
    Check((GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0, "the control's window is visible in its host");
    GetClassNameW(control, className, 64);
    char narrow[64] = {};
    WideCharToMultiByte(CP_UTF8, 0, className, -1, narrow, 64, nullptr, nullptr);
    Note(std::string("the control's window class is ") + narrow);
}

void CheckResizeAndFocus(HWND parent, const shell::ControlUnit& view) {
    const HWND host = view.Window();
    const HWND control = FirstChild(host);
    ShowWindow(host, SW_SHOWNA);
    MoveWindow(host, 0, 0, 600, 400, TRUE);
    RECT area = {};
    GetWindowRect(control, &area);
    Check(area.right - area.left == 600 && area.bottom - area.top == 400, "after a resize the control fills the host",
          std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top));
    MoveWindow(host, 0, 0, 1024, 624, TRUE);

    SetForegroundWindow(parent);
    SetFocus(host);
    const HWND focus = GetFocus();
    Check(focus == control || IsChild(control, focus), "focus given to the host goes to the control");
}

// The properties every kind shares, written through the unit, reach its window.
void CheckSharedProperties(shell::ControlUnit& view) {
    const HWND host = view.Window();
    const bool placed = view.SetProperty(shell::kLeft, 10LL) && view.SetProperty(shell::kTop, 20LL) &&
                        view.SetProperty(shell::kWidth, 500LL) && view.SetProperty(shell::kHeight, 300LL);
    Check(placed, "place and size are writable");
    RECT area = {};
    GetWindowRect(host, &area);
    MapWindowPoints(nullptr, GetParent(host), reinterpret_cast<POINT*>(&area), 2);
    Check(area.left == 10 && area.top == 20 && area.right == 510 && area.bottom == 320,
          "written place and size move the host", std::to_string(area.left) + "," + std::to_string(area.top) + "," +
                                                       std::to_string(area.right) + "," + std::to_string(area.bottom));
    Check(!view.SetProperty(shell::kWidth, std::string("wide")), "a width that is not a number is refused");
    Check(view.SetProperty(shell::kVisible, false) && !IsWindowVisible(host), "visible false hides the host");
    Check(view.SetProperty(shell::kVisible, true) && IsWindowVisible(host), "visible true shows it again");
    Check(view.SetProperty(shell::kDisabled, true) && !IsWindowEnabled(host), "disabled true disables the host");
    Check(view.SetProperty(shell::kDisabled, false) && IsWindowEnabled(host), "disabled false enables it again");
    view.SetProperty(shell::kLeft, 0LL);
    view.SetProperty(shell::kTop, 0LL);
    view.SetProperty(shell::kWidth, 1024LL);
    view.SetProperty(shell::kHeight, 624LL);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: html_viewer_probe <port> <request log> <bare host on port 80, or ->\n");
        return 100;
    }
    const std::string base = std::string("http://127.0.0.1:") + argv[1];
    const RequestLog requests(argv[2]);
    const std::string bareHost = argv[3];
    const shell::OleInitialisation ole;
    CheckIdentifiers();

    WNDCLASSEXW parentClass = {};
    parentClass.cbSize = sizeof(parentClass);
    parentClass.lpfnWndProc = DefWindowProcW;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = L"KorvProbeParent";
    RegisterClassExW(&parentClass);
    const HWND parent = CreateWindowExW(0, L"KorvProbeParent", L"probe", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                        1029, 630, nullptr, nullptr, parentClass.hInstance, nullptr);
    ShowWindow(parent, SW_SHOW);
    CheckNavigateArguments(parent, base, requests);
    PumpFor(2000);
    const std::size_t unitRequests = requests.Lines().size();
    Check(gameview::LiveComObjects() == 0, "the probe's own control let go of its site and sink",
          std::to_string(gameview::LiveComObjects()));

    EventLog events;
    const shell::UnitModel unit = BrowserUnit(base + "/index.html", events);
    std::unique_ptr<shell::ControlUnit> view = gameview::HtmlViewer::Create({unit, parent, 1000, WS_TABSTOP});
    Check(view != nullptr, "the unit is created with the control");
    if (!view) return failures;
    Check(gameview::LiveComObjects() == 2, "one site and one event sink are alive",
          std::to_string(gameview::LiveComObjects()));
    Note("events during creation: " + events.Since(0));
    CheckHostAndControl(parent, *view);

    Check(requests.WaitFor("/index.html", 1, 60000), "the start page reaches the server");
    Note("offline mode was on for that request");
    const std::vector<std::string> lines = requests.Lines();
    const std::string first = lines.size() > unitRequests ? lines[unitRequests] : std::string();
    Check(first == "/index.html", "nothing is requested before the start page", first);
    PumpUntil([&] { return events.Count("跳转完毕") + events.Count("已就绪") > 0; }, 20000);
    PumpFor(2000);
    Note("events after the start page: " + events.Since(0));
    Note("status text: '" + Utf8FromGbk(TextProperty(*view, gameview::kStatusText)) + "', title: '" +
         Utf8FromGbk(TextProperty(*view, gameview::kTitle)) + "'");
    Check(!view->SetProperty(gameview::kTitle, std::string("x")), "the title is not writable");

    CheckResizeAndFocus(parent, *view);
    CheckSharedProperties(*view);

    // 访问官网 and back, as the buttons do it.
    std::size_t mark = events.names.size();
    Check(view->SetProperty(gameview::kUrl, base + "/second.html"), "writing the address");
    Check(TextProperty(*view, gameview::kUrl) == base + "/second.html", "the address written is kept");
    Check(requests.WaitFor("/second.html", 1, 60000), "writing the address navigates");
    PumpFor(2000);
    Note("events for the second page: " + events.Since(mark));

    const std::size_t startRequests = requests.Count("/index.html");
    mark = events.names.size();
    gameview::BrowserCommand(view.get(), gameview::kGoBack);
    PumpFor(5000);
    Note("back (value 1): the server saw /index.html " + std::to_string(requests.Count("/index.html") - startRequests) +
         " more time(s); events: " + events.Since(mark));

    const std::size_t secondRequests = requests.Count("/second.html");
    const std::size_t indexRequests = requests.Count("/index.html");
    mark = events.names.size();
    gameview::BrowserCommand(view.get(), gameview::kRefresh);
    PumpFor(5000);
    Note("refresh (value 4): the server saw /index.html " +
         std::to_string(requests.Count("/index.html") - indexRequests) + " and /second.html " +
         std::to_string(requests.Count("/second.html") - secondRequests) +
         " more time(s); events: " + events.Since(mark));

    const std::size_t before = requests.Lines().size();
    mark = events.names.size();
    gameview::BrowserCommand(view.get(), 10);
    gameview::BrowserCommand(view.get(), -1);
    PumpFor(3000);
    Check(requests.Lines().size() == before && events.names.size() == mark, "values 10 and -1 do nothing",
          events.Since(mark));

    // How a GBK address goes out on the wire is the control's business.
    const std::size_t beforeGbk = requests.Lines().size();
    Check(view->SetProperty(gameview::kUrl, base + "/\xD3\xCE\xCF\xB7.html"), "writing a GBK address");
    PumpUntil([&] { return requests.Lines().size() > beforeGbk; }, 20000);
    const std::vector<std::string> afterGbk = requests.Lines();
    Note("a GBK address (游戏.html) reached the server as '" + (afterGbk.size() > beforeGbk ? afterGbk.back() : "") +
         "'");

    // A bare host name, as 访问官网 writes it; the driver listens on port 80 when it can.
    if (bareHost != "-") {
        mark = events.names.size();
        view->SetProperty(gameview::kUrl, bareHost);
        const bool reached = requests.WaitFor("bare /", 1, 20000);
        Note("the bare host name '" + bareHost + "' " + (reached ? "reaches" : "does not reach") +
             " the server on port 80; events: " + events.Since(mark));
    }

    mark = events.names.size();
    view->SetProperty(gameview::kUrl, std::string());
    PumpFor(3000);
    Check(TextProperty(*view, gameview::kUrl).empty(), "an empty address is kept empty");
    Note("an empty address (about:blank): events " + events.Since(mark));

    DestroyWindow(parent);
    Check(view->Window() == nullptr, "the host window went with its parent");
    view.reset();
    PumpFor(500);
    Check(gameview::LiveComObjects() == 0, "the control let go of the site and the sink",
          std::to_string(gameview::LiveComObjects()));
    // The control's download threads wind down within a few seconds; a
    // process that ends while several of them live crashes in Wine under
    // qemu's user-mode emulation (launcher_probe exit-with-threads shows it).
    PumpFor(4000);
    std::printf("%d failure(s)\n", failures);
    std::fflush(stdout);
    return failures;
}
