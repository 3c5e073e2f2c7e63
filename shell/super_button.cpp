#include "shell/super_button.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "shell/gbk_text.h"
#include "shell/shared_properties.h"
#include "shell/super_button_schema.h"

namespace shell {
namespace {

constexpr wchar_t kSelfProperty[] = L"KorvSuperButton";
constexpr Colour kOutlineColour = RGB(0, 0, 0);
constexpr int kCornerEllipse = 8;
constexpr int kFocusInset = 3;

Colour SystemColour(int index) { return static_cast<Colour>(GetSysColor(index)); }

Box ToBox(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

RECT ToRect(const Box& box) { return {box.left, box.top, box.right, box.bottom}; }

// A bitmap from BMP file bytes, or nothing.
UniqueGdiObject BitmapFromBytes(const std::string& bytes) {
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M') {
        return UniqueGdiObject();
    }
    BITMAPFILEHEADER file;
    memcpy(&file, bytes.data(), sizeof(file));
    if (file.bfOffBits >= bytes.size()) return UniqueGdiObject();
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof(BITMAPFILEHEADER));
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bytes.data() + file.bfOffBits, info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return UniqueGdiObject(bitmap);
}

}  // namespace

std::unique_ptr<ControlUnit> SuperButton::Create(const ControlCreation& creation) {
    std::unique_ptr<SuperButton> button(new SuperButton(creation.unit));
    if (!button->CreateWindowFor(creation)) return nullptr;
    return button;
}

SuperButton::SuperButton(const UnitModel& unit) : unit_(unit), properties_(unit.properties) { DeriveState(); }

SuperButton::~SuperButton() {
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProcedure_));
        RemovePropW(window_, kSelfProperty);
        DestroyWindow(window_);
    }
}

bool SuperButton::Flag(std::size_t property) const { return std::get<bool>(properties_[property]); }

const std::string& SuperButton::Bytes(std::size_t property) const {
    return std::get<std::string>(properties_[property]);
}

void SuperButton::DeriveState() {
    auto integer = [this](std::size_t property) { return std::get<long long>(properties_[property]); };
    auto colour = [&](std::size_t property) { return static_cast<Colour>(integer(property)); };
    if (Flag(kCheckBox)) {
        checked_ = Flag(kChecked);
        requestedType_ = BS_CHECKBOX;
    } else {
        requestedType_ = integer(kDefaultStyle) == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    }
    pressStyle_ = static_cast<PressStyle>(integer(kPressStyle));
    faceStyle_ = static_cast<FaceStyle>(integer(kBtnStyle));
    followsPointer_ = faceStyle_ != FaceStyle::Raised;
    const ButtonColours stored{colour(kFgColorOut), colour(kBkColorOut), colour(kFgColorIn),
                               colour(kBkColorIn),  colour(kFgColorFocus), colour(kBkColorFocus)};
    colours_ = ResolveColours(stored, SystemColour(COLOR_BTNFACE));
}

bool SuperButton::CreateWindowFor(const ControlCreation& creation) {
    const UnitModel& unit = creation.unit;
    // Owner-drawn from the start; the type asked for stays recorded above.
    const DWORD style = creation.styles | WS_CHILD | WS_CLIPSIBLINGS | BS_OWNERDRAW;
    const std::wstring caption = WideFromGbk(std::get<std::string>(properties_[kCaption]));
    window_ = CreateWindowExW(0, L"BUTTON", caption.c_str(), style, static_cast<int>(unit.Integer(kLeft)),
                              static_cast<int>(unit.Integer(kTop)), static_cast<int>(unit.Integer(kWidth)),
                              static_cast<int>(unit.Integer(kHeight)), creation.parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(creation.controlId)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(creation.parent, GWLP_HINSTANCE)), nullptr);
    if (window_ == nullptr) return false;
    SetPropW(window_, kSelfProperty, this);
    systemProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SuperButton::SubclassProcedure)));
    ApplyFont();
    ApplyToolTip();
    return true;
}

void SuperButton::ApplyFont() {
    const std::string& record = Bytes(kFont);
    font_.Reset();
    if (record.size() == sizeof(LOGFONTA)) {
        LOGFONTA logical;
        memcpy(&logical, record.data(), sizeof(logical));
        font_.Reset(CreateFontIndirectA(&logical));
    }
    const HGDIOBJ font = font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void SuperButton::ApplyToolTip() {
    toolTip_.Reset();
    const std::string& text = std::get<std::string>(properties_[kToolTip]);
    if (text.empty()) return;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    toolTip_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, nullptr, nullptr));
    if (!toolTip_) return;
    std::wstring wide = WideFromGbk(text);
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = 1;
    GetClientRect(window_, &tool.rect);
    tool.lpszText = wide.data();
    SendMessageW(toolTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::optional<PropertyValue> SuperButton::Property(std::size_t number) const {
    if (number >= properties_.size()) return std::nullopt;
    if (number == kChecked) return PropertyValue(checked_);
    return properties_[number];
}

bool SuperButton::SetProperty(std::size_t number, const PropertyValue& value) {
    if (number >= properties_.size() || !Accepts(unit_.schema->properties[number], value)) return false;
    properties_[number] = value;
    if (number < kFirstOwnProperty) {
        ApplySharedProperty(window_, number, [this](std::size_t property) { return properties_[property]; });
        return true;
    }
    DeriveState();
    if (number == kCaption) SetWindowTextW(window_, WideFromGbk(std::get<std::string>(value)).c_str());
    if (number == kFont) ApplyFont();
    if (number == kToolTip) ApplyToolTip();
    if (!followsPointer_) hot_ = false;
    InvalidateRect(window_, nullptr, TRUE);
    return true;
}

LRESULT CALLBACK SuperButton::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<SuperButton*>(GetPropW(window, kSelfProperty));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const WNDPROC system = self->systemProcedure_;
        RemovePropW(window, kSelfProperty);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system));
        self->window_ = nullptr;
        return CallWindowProcW(system, window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT SuperButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(systemProcedure_, window_, message, wParam, lParam);
    if (!followsPointer_) return result;
    switch (message) {
    case WM_MOUSEMOVE: FollowPointer(wParam); break;
    case WM_MOUSELEAVE: Step(PointerEvent::Leave); break;
    case WM_KILLFOCUS: Step(PointerEvent::FocusLost); break;
    case WM_CANCELMODE: Step(PointerEvent::CancelMode); break;
    case WM_ENABLE:
        if (!wParam) Step(PointerEvent::Disabled);
        break;
    default: break;
    }
    return result;
}

void SuperButton::FollowPointer(WPARAM keys) {
    const bool leftDown = (keys & MK_LBUTTON) != 0;
    if (leftDown && !hot_) return;
    POINT pointer = {};
    GetCursorPos(&pointer);
    const bool overThis = WindowFromPoint(pointer) == window_;
    Step(overThis ? PointerEvent::MoveOverButton : PointerEvent::MoveOverOtherWindow, leftDown);
}

void SuperButton::Step(PointerEvent event, bool leftButtonDown) {
    const HotStep step = StepHotState(hot_, event, leftButtonDown);
    hot_ = step.hot;
    if (step.repaint) InvalidateRect(window_, nullptr, TRUE);
    if (step.playOverSound) PlaySoundBytes(kOverSound);
    if (step.trackLeave) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window_, 0};
        TrackMouseEvent(&track);
    }
}

bool SuperButton::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_DRAWITEM:
        Paint(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_CTLCOLORBTN:
        // Nothing behind the face is painted but the face itself.
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnClicked();
        result = 0;
        return true;
    default: return false;
    }
}

void SuperButton::OnClicked() {
    PlaySoundBytes(kClickSound);
    if (Flag(kCheckBox)) {
        checked_ = !checked_;
        properties_[kChecked] = checked_;
        InvalidateRect(window_, nullptr, TRUE);
    }
    unit_.Raise(kClickedEvent);
}

void SuperButton::PlaySoundBytes(std::size_t property) const {
    if (Flag(kStandardSound)) {
        MessageBeep(MB_OK);
        return;
    }
    const std::string& wave = Bytes(property);
    if (!wave.empty()) PlaySoundW(reinterpret_cast<LPCWSTR>(wave.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

ButtonColours SuperButton::WorkingColours() const {
    if (Flag(kDefaultColor)) return SystemColours(SystemColour(COLOR_BTNFACE), SystemColour(COLOR_BTNTEXT));
    return colours_;
}

void SuperButton::Paint(const DRAWITEMSTRUCT& item) const {
    FaceState state;
    state.hot = hot_;
    state.pressed = (item.itemState & ODS_SELECTED) != 0 || (Flag(kCheckBox) && checked_);
    state.focused = (item.itemState & ODS_FOCUS) != 0;
    state.disabled = (item.itemState & ODS_DISABLED) != 0;
    const FaceLook look = ChooseLook(WorkingColours(), state, pressStyle_, Flag(kCheckBox));

    const HDC dc = item.hDC;
    const SelectedObject font(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    PaintBackground(dc, item.rcItem, state, look);

    RECT content = item.rcItem;
    PaintPicture(dc, content, state);
    PaintCaption(dc, content, state, look);
    if (state.focused && (Flag(kDrawFocus) || faceStyle_ == FaceStyle::Raised)) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(dc, &focus);
    }
}

void SuperButton::PaintBackground(HDC dc, const RECT& face, const FaceState& state, const FaceLook& look) const {
    const UniqueGdiObject fill(CreateSolidBrush(look.fill));
    switch (faceStyle_) {
    case FaceStyle::Xp:
        if (look.kind == FaceKind::Hot) {
            const UniqueGdiObject outline(CreatePen(PS_SOLID, 1, kOutlineColour));
            const SelectedObject pen(dc, outline.Get());
            const SelectedObject brush(dc, fill.Get());
            RoundRect(dc, face.left, face.top, face.right, face.bottom, kCornerEllipse, kCornerEllipse);
        } else {
            FillRect(dc, &face, static_cast<HBRUSH>(fill.Get()));
        }
        break;
    case FaceStyle::Raised: {
        RECT edge = face;
        DrawFrameControl(dc, &edge, DFC_BUTTON, DFCS_BUTTONPUSH | (state.pressed ? DFCS_PUSHED : 0));
        InflateRect(&edge, -2, -2);
        FillRect(dc, &edge, static_cast<HBRUSH>(fill.Get()));
        break;
    }
    case FaceStyle::Flat: {
        FillRect(dc, &face, static_cast<HBRUSH>(fill.Get()));
        RECT edge = face;
        if (Flag(kDrawBorder) && state.pressed) {
            DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        } else if (Flag(kDrawBorder) && state.hot) {
            DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
        }
        break;
    }
    }
}

void SuperButton::PaintPicture(HDC dc, RECT& area, const FaceState& state) const {
    std::size_t picture = state.hot || state.pressed ? kPicIn : kPicOut;
    std::size_t transparent = picture == kPicIn ? kTransColorIn : kTransColorOut;
    if (state.disabled) picture = kPicDisabled, transparent = kTransColorDisabled;
    if (Bytes(picture).empty()) picture = kPicOut, transparent = kTransColorOut;
    const UniqueGdiObject bitmap = BitmapFromBytes(Bytes(picture));
    if (!bitmap) return;

    BITMAP size = {};
    GetObjectW(bitmap.Get(), sizeof(size), &size);
    const HDC source = CreateCompatibleDC(dc);
    const SelectedObject selected(source, bitmap.Get());
    Colour key = static_cast<Colour>(std::get<long long>(properties_[transparent]));
    if (key == kDefaultBackground) key = GetPixel(source, 0, 0);

    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    int x = area.left + (areaWidth - size.bmWidth) / 2;
    int y = area.top + (areaHeight - size.bmHeight) / 2;
    switch (std::get<long long>(properties_[kAlignStyle])) {
    case 0: x = area.left + 2, area.left = x + size.bmWidth; break;         // picture left, caption right
    case 1: y = area.top + 2, area.top = y + size.bmHeight; break;          // picture above, caption below
    case 2: x = area.right - 2 - size.bmWidth, area.right = x; break;       // picture right, caption left
    default: break;                                                         // caption over the picture
    }
    if (state.pressed && !Flag(kCheckBox)) {
        const Shift shift = PressShift(pressStyle_);
        x += shift.dx, y += shift.dy;
    }
    TransparentBlt(dc, x, y, size.bmWidth, size.bmHeight, source, 0, 0, size.bmWidth, size.bmHeight, key);
    DeleteDC(source);
}

void SuperButton::PaintCaption(HDC dc, const RECT& area, const FaceState& state, const FaceLook& look) const {
    const std::wstring caption = WideFromGbk(std::get<std::string>(properties_[kCaption]));
    if (caption.empty()) return;
    const Box shifted = Offset(ToBox(area), look.captionShift);
    RECT measured = ToRect(shifted);
    const int length = static_cast<int>(caption.size());
    DrawTextW(dc, caption.c_str(), length, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    RECT box = ToRect(CentreIn(shifted, ToBox(measured)));
    if (state.disabled) {
        RECT embossed = box;
        OffsetRect(&embossed, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, caption.c_str(), length, &embossed, DT_WORDBREAK | DT_CENTER);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, look.caption);
    }
    DrawTextW(dc, caption.c_str(), length, &box, DT_WORDBREAK | DT_CENTER);
}

}  // namespace shell
