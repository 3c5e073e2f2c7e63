#include "shell/super_button_look.h"

#include <algorithm>

namespace shell {
namespace {

Colour Resolve(Colour colour, Colour buttonFace) { return colour == kDefaultBackground ? buttonFace : colour; }

}  // namespace

ButtonColours ResolveColours(const ButtonColours& stored, Colour buttonFace) {
    ButtonColours resolved = stored;
    resolved.bkOut = Resolve(stored.bkOut, buttonFace);
    resolved.bkIn = Resolve(stored.bkIn, buttonFace);
    resolved.bkFocus = Resolve(stored.bkFocus, buttonFace);
    return resolved;
}

Colour Lighten(Colour colour, int amount) {
    Colour result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int component = static_cast<int>((colour >> shift) & 0xFF);
        result |= static_cast<Colour>(std::min(component + amount, 255)) << shift;
    }
    return result;
}

ButtonColours SystemColours(Colour buttonFace, Colour buttonText) {
    return {buttonText, buttonFace, buttonText, Lighten(buttonFace, 32), buttonText, buttonFace};
}

Shift PressShift(PressStyle style) { return style == PressStyle::Down ? Shift{0, 2} : Shift{1, 1}; }

FaceKind ChooseFace(const FaceState& state) {
    if (state.hot || state.pressed) return FaceKind::Hot;
    if (state.focused) return FaceKind::Focused;
    return FaceKind::Normal;
}

FaceLook ChooseLook(const ButtonColours& colours, const FaceState& state, PressStyle pressStyle, bool checkBoxMode) {
    FaceLook look;
    look.kind = ChooseFace(state);
    switch (look.kind) {
    case FaceKind::Hot:
        look.fill = colours.bkIn;
        look.caption = colours.fgIn;
        break;
    case FaceKind::Focused:
        look.fill = colours.bkFocus;
        look.caption = colours.fgFocus;
        break;
    case FaceKind::Normal:
        look.fill = colours.bkOut;
        look.caption = colours.fgOut;
        break;
    }
    if (state.pressed && !checkBoxMode) look.captionShift = PressShift(pressStyle);
    return look;
}

Box Offset(const Box& box, const Shift& shift) {
    return {box.left + shift.dx, box.top + shift.dy, box.right + shift.dx, box.bottom + shift.dy};
}

Box CentreIn(const Box& area, const Box& measured) {
    const Shift centring{(area.Width() - measured.Width()) / 2, (area.Height() - measured.Height()) / 2};
    return Offset(measured, centring);
}

HotStep StepHotState(bool hot, PointerEvent event, bool leftButtonDown) {
    switch (event) {
    case PointerEvent::MoveOverButton:
        // A press that started elsewhere never lights the button up.
        if (hot || leftButtonDown) return {hot};
        return {true, true, true, true};
    case PointerEvent::MoveOverOtherWindow:
    case PointerEvent::Leave:
    case PointerEvent::FocusLost:
    case PointerEvent::CancelMode:
    case PointerEvent::Disabled: return {false, hot};
    }
    return {hot};
}

}  // namespace shell
