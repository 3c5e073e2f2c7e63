#include "shell/form_window.h"

#include <algorithm>

#include "shell/form_runtime.h"
#include "shell/gbk_text.h"
#include "shell/icon_from_file.h"
#include "shell/keyboard_rule.h"
#include "shell/popup_menu.h"
#include "tray/tray_rules.h"
#include "shell/window_geometry.h"

namespace shell {
namespace {

// Posted by RequestDestroy so a window never goes while its own handler runs.
constexpr UINT kDestroyFormWindowMessage = WM_APP + 1;
constexpr int kFirstControlId = 1000;

DWORD FrameStyle(const UnitModel& window) {
    DWORD style = WS_CLIPCHILDREN;
    switch (window.Integer(kWindowBorder)) {
    case kBorderNone: style |= WS_POPUP; break;
    case kBorderSizable: style |= WS_CAPTION | WS_THICKFRAME; break;
    default: style |= WS_CAPTION; break;  // fixed: the dialog frame that WS_CAPTION carries
    }
    if (window.Truth(kWindowControlBox) && (style & WS_CAPTION) == WS_CAPTION) {
        style |= WS_SYSMENU;
        if (window.Truth(kWindowMinButton)) style |= WS_MINIMIZEBOX;
        if (window.Truth(kWindowMaxButton)) style |= WS_MAXIMIZEBOX;
    }
    if (window.Truth(kDisabled)) style |= WS_DISABLED;
    return style;
}

bool ModifierDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

FormWindow::FormWindow(FormRuntime& runtime, const FormModel& form) : runtime_(runtime), form_(form) {
    for (const UnitModel& unit : form_.units) {
        if (unit.section == SectionKind::Menu) menuUnits_.push_back(&unit);
    }
}

FormWindow::~FormWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

bool FormWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &FormWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kFormWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

bool FormWindow::Load(std::string& error) {
    loading_ = true;
    const bool loaded = Build(error);
    loading_ = false;
    // A close request that came while the units were being made (the browser
    // control pumps messages) is carried out now that none of them is busy.
    if (loaded && destroyDeferred_ && Alive()) DestroyWindow(window_);
    return loaded;
}

bool FormWindow::Build(std::string& error) {
    const HWND focusBefore = GetFocus();
    if (!BuildMenuBar()) return error = "cannot build the menu bar", false;
    if (!CreateFrame(error)) return false;
    if (!CreateControls(error)) return false;
    if (!Alive()) return true;
    StackControls();
    BuildTabOrder();

    for (const LiveControl& live : controls_) live.control->OnFormComplete();
    for (const LiveControl& live : controls_) {
        if (live.unit->Truth(kVisible)) ShowWindow(live.control->Window(), SW_SHOWNA);
    }

    Raise("Created");
    if (Alive()) Raise("Moved");
    if (Alive()) Raise("Resized");
    if (Alive() && !destroyDeferred_) {
        visible_ = true;
        ShowWindow(window_, SW_SHOW);
    }
    if (focusBefore != nullptr && IsWindow(focusBefore)) SetFocus(focusBefore);
    return true;
}

bool FormWindow::BuildMenuBar() {
    // Only visible top-level menus and their entries go into the bar.
    menuBar_.Reset(CreateMenu());
    if (!menuBar_) return false;
    const std::vector<MenuUnitView> views = MenuViews();
    for (std::size_t i = 0; i < views.size(); ++i) {
        if (views[i].level != 0 || !views[i].visible) continue;
        const auto entries = BuildPopup(views, i);
        UniqueMenu popup = CreatePopupFrom(entries.value_or(std::vector<PopupEntry>()));
        if (!popup) return false;
        UINT flags = MF_POPUP | MF_STRING;
        if (views[i].disabled) flags |= MF_GRAYED;
        const std::wstring caption = WideFromGbk(views[i].caption);
        if (AppendMenuW(menuBar_.Get(), flags, reinterpret_cast<UINT_PTR>(popup.Get()), caption.c_str())) {
            popup.Release();  // the bar owns it now
        }
    }
    return true;
}

std::vector<MenuUnitView> FormWindow::MenuViews() const {
    std::vector<MenuUnitView> views;
    for (const UnitModel* menu : menuUnits_) {
        views.push_back({menu->Text(kMenuCaption), menu->Integer(kMenuLevel), menu->Truth(kMenuVisible),
                         menu->Truth(kMenuDisabled), menu->Truth(kMenuChecked)});
    }
    return views;
}

std::optional<std::size_t> FormWindow::MenuPosition(std::string_view name) const {
    for (std::size_t i = 0; i < menuUnits_.size(); ++i) {
        if (menuUnits_[i]->name == name) return i;
    }
    return std::nullopt;
}

void FormWindow::OnMenuCommand(unsigned commandId) const {
    if (const auto position = MenuPositionOf(commandId, menuUnits_.size())) menuUnits_[*position]->Raise(0);
}

ControlUnit* FormWindow::Unit(std::string_view name) const {
    for (const LiveControl& live : controls_) {
        if (live.unit->name == name) return live.control.get();
    }
    return nullptr;
}

bool FormWindow::CreateFrame(std::string& error) {
    const UnitModel& window = form_.window;
    const int width = static_cast<int>(window.Integer(kWidth));
    const int height = static_cast<int>(window.Integer(kHeight));
    Point place{static_cast<int>(window.Integer(kLeft)), static_cast<int>(window.Integer(kTop))};
    if (window.Integer(kWindowPosition) == 1) {
        place = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    }
    const DWORD exStyle = window.Truth(kWindowTopMost) ? WS_EX_TOPMOST : 0;
    const std::wstring title = WideFromGbk(window.Text(kWindowCaption));
    const HWND created = CreateWindowExW(exStyle, kFormWindowClass, title.c_str(), FrameStyle(window), place.x, place.y,
                                         width, height, nullptr, menuBar_.Get(), runtime_.Instance(), this);
    if (created == nullptr) return error = "cannot create the window '" + Name() + "'", false;
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    RECT rect = {};
    GetWindowRect(window_, &rect);
    if (rect.right - rect.left != width || rect.bottom - rect.top != height) {
        MoveWindow(window_, place.x, place.y, width, height, TRUE);
    }
    SetIcons();
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return true;
}

void FormWindow::SetIcons() {
    const std::string& resource = form_.window.Text(kWindowIcon);
    if (resource.empty()) return;
    const ByteView file = ResourceBytes(runtime_.Instance(), WideFromGbk(resource).c_str(), MAKEINTRESOURCEW(10));
    bigIcon_ = CreateIconFromFile(file, 32);
    smallIcon_ = CreateIconFromFile(file, 16);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

bool FormWindow::CreateControls(std::string& error) {
    int controlId = kFirstControlId;
    for (auto unit = form_.units.rbegin(); unit != form_.units.rend(); ++unit) {
        if (unit->section != SectionKind::Control) continue;
        const ControlKind* kind = runtime_.KindFor(unit->schema);
        DWORD styles = 0;
        if (unit->tabStop) styles |= WS_TABSTOP;
        if (unit->Truth(kDisabled)) styles |= WS_DISABLED;
        std::unique_ptr<ControlUnit> control =
            kind != nullptr ? kind->create({*unit, window_, controlId++, styles}) : nullptr;
        if (!Alive()) {
            retired_.push_back(std::move(control));
            return true;
        }
        if (!control || control->Window() == nullptr) {
            return error = "cannot create the unit '" + unit->name + "'", false;
        }
        controls_.push_back({&*unit, std::move(control)});
    }
    return true;
}

void FormWindow::StackControls() {
    // Stored order is top first; controls_ holds it reversed.
    HWND above = HWND_TOP;
    for (auto live = controls_.rbegin(); live != controls_.rend(); ++live) {
        const HWND control = live->control->Window();
        SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        above = control;
    }
}

void FormWindow::BuildTabOrder() {
    // Equal keys keep creation order, which is the stored order reversed.
    std::vector<const LiveControl*> order;
    for (const LiveControl& live : controls_) order.push_back(&live);
    std::stable_sort(order.begin(), order.end(), [](const LiveControl* a, const LiveControl* b) {
        return a->unit->tabIndex < b->unit->tabIndex;
    });
    for (const LiveControl* live : order) tabOrder_.push_back(live->control.get());
}

void FormWindow::Raise(std::string_view event, const EventArgs& args) const {
    if (const auto number = form_.window.schema->FindEvent(event)) form_.window.Raise(*number, args);
}

void FormWindow::SetVisible(bool visible) {
    visible_ = visible;
    if (window_ != nullptr) ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

void FormWindow::RequestDestroy() {
    if (window_ == nullptr) return;
    destroyRequested_ = true;
    PostMessageW(window_, kDestroyFormWindowMessage, 0, 0);
}

ControlUnit* FormWindow::UnitOf(HWND control) const {
    if (control == nullptr) return nullptr;
    for (const LiveControl& live : controls_) {
        if (live.control->Window() == control) return live.control.get();
    }
    return nullptr;
}

ControlUnit* FormWindow::FocusedUnit() const {
    const HWND focus = GetFocus();
    if (ControlUnit* unit = UnitOf(focus)) return unit;
    return focus != nullptr ? UnitOf(GetParent(focus)) : nullptr;
}

void FormWindow::MoveFocus(const ControlUnit& from, bool forward) {
    std::vector<TabStopState> states;
    std::size_t current = 0;
    for (std::size_t i = 0; i < tabOrder_.size(); ++i) {
        const HWND control = tabOrder_[i]->Window();
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        states.push_back({(style & WS_TABSTOP) != 0, IsWindowVisible(control) != FALSE, IsWindowEnabled(control) != FALSE});
        if (tabOrder_[i] == &from) current = i;
    }
    if (const auto next = NextInTabOrder(states, current, forward)) SetFocus(tabOrder_[*next]->Window());
}

bool FormWindow::PreTranslate(MSG& message) {
    if (window_ == nullptr || (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)) return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;

    ControlUnit* focused = FocusedUnit();
    if (focused != nullptr && focused->ClaimsKey(message)) return false;

    const KeyPress key{true, static_cast<unsigned>(message.wParam), ModifierDown(VK_CONTROL), ModifierDown(VK_SHIFT),
                       ModifierDown(VK_MENU)};
    switch (ClassifyKeyPress(key, form_.window.Truth(kWindowEscCloses))) {
    case KeyAction::None: return false;
    case KeyAction::CloseWindow: SendMessageW(window_, WM_CLOSE, 0, 0); return true;
    case KeyAction::FocusNext:
    case KeyAction::FocusPrevious:
        if (focused != nullptr) MoveFocus(*focused, ClassifyKeyPress(key, true) == KeyAction::FocusNext);
        return true;
    }
    return false;
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        self->runtime_.FailFatal("out of memory");
    }
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kDestroyFormWindowMessage:
        if (destroyRequested_) {
            destroyRequested_ = false;
            DestroyOrDefer();
        }
        return 0;
    case WM_CLOSE:
        // The close query is not bound, so every close request goes through.
        DestroyOrDefer();
        return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_GETMINMAXINFO: {
        // The system would shrink a window larger than the screen to fit it;
        // the stored size holds even on a small screen.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        const LONG width = static_cast<LONG>(form_.window.Integer(kWidth));
        const LONG height = static_cast<LONG>(form_.window.Integer(kHeight));
        limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, width);
        limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, height);
        return 0;
    }
    case tray::kTrayCallbackMessage:
        if (const auto kind = tray::TrayEventKind(static_cast<unsigned>(lParam))) Raise("TrayEvent", {*kind});
        return 0;
    case WM_COMMAND:
        if (lParam == 0) {
            OnMenuCommand(LOWORD(wParam));
            return 0;
        }
        [[fallthrough]];
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM: {
        const HWND control = message == WM_DRAWITEM ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem
                                                    : reinterpret_cast<HWND>(lParam);
        LRESULT result = 0;
        if (ControlUnit* unit = UnitOf(control); unit != nullptr && unit->Reflect(message, wParam, lParam, result)) {
            return result;
        }
        break;
    }
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY: {
        const LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
        OnFinalDestroy();
        return result;
    }
    default:
        if (message == taskbarCreated_ && taskbarCreated_ != 0) tray_.Restore(window_);
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void FormWindow::DestroyOrDefer() {
    if (loading_) {
        destroyDeferred_ = true;
        return;
    }
    DestroyWindow(window_);
}

void FormWindow::OnDestroy() {
    Raise("Destroying");
    SetMenu(window_, nullptr);
    menuBar_.Reset();
    tray_.Remove(window_);
}

void FormWindow::OnFinalDestroy() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    window_ = nullptr;
    visible_ = false;
    // Units are child windows and went with the window. Their objects are
    // freed with this one, never here, where one of them may still be on the
    // call stack (a close request handled inside a unit's own call).
    tabOrder_.clear();
    for (LiveControl& live : controls_) retired_.push_back(std::move(live.control));
    controls_.clear();
    runtime_.OnWindowGone();
}

}  // namespace shell
