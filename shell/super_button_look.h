// How a skinned button looks and when it repaints, apart from the GDI calls:
// the colours of each state, the press shift, the caption box, the default
// colours, and the hot-state machine that follows the pointer.
#pragma once

#include <cstdint>

namespace shell {

using Colour = std::uint32_t;  // 0x00BBGGRR

// Stands for the system button-face colour in a background colour.
inline constexpr Colour kDefaultBackground = 0xFF000000u;

struct ButtonColours {
    Colour fgOut = 0;
    Colour bkOut = 0;
    Colour fgIn = 0;
    Colour bkIn = 0;
    Colour fgFocus = 0;
    Colour bkFocus = 0;
};

// The stored colours with kDefaultBackground resolved in the three backgrounds.
ButtonColours ResolveColours(const ButtonColours& stored, Colour buttonFace);

// The colours a button with DefaultColor set takes at every paint.
ButtonColours SystemColours(Colour buttonFace, Colour buttonText);

// Each of red, green and blue raised by `amount`, none past 255.
Colour Lighten(Colour colour, int amount);

enum class FaceStyle { Flat = 0, Raised = 1, Xp = 2 };
enum class PressStyle { RightAndDown = 0, Down = 1 };

struct Shift {
    int dx = 0;
    int dy = 0;
    bool operator==(const Shift& other) const { return dx == other.dx && dy == other.dy; }
};

Shift PressShift(PressStyle style);

struct FaceState {
    bool hot = false;
    bool pressed = false;  // the pushed bit, or checked in check-box mode
    bool focused = false;
    bool disabled = false;
};

enum class FaceKind { Normal, Focused, Hot };

// Hot or pressed wins over focused, focused over normal.
FaceKind ChooseFace(const FaceState& state);

struct FaceLook {
    FaceKind kind = FaceKind::Normal;
    Colour fill = 0;
    Colour caption = 0;
    Shift captionShift;  // applied to the caption's area
};

// `checkBoxMode` buttons show their checked state without shifting.
FaceLook ChooseLook(const ButtonColours& colours, const FaceState& state, PressStyle pressStyle, bool checkBoxMode);

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Box& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

Box Offset(const Box& box, const Shift& shift);

// Moves a measured caption box (whose top-left is the area's) so it is
// centred in the area, halving each difference toward zero.
Box CentreIn(const Box& area, const Box& measured);

// The pointer-following state machine.
enum class PointerEvent {
    MoveOverButton,       // a mouse move, and the window under the pointer is this button
    MoveOverOtherWindow,  // a mouse move, and another window is under the pointer
    Leave,                // WM_MOUSELEAVE
    FocusLost,
    CancelMode,
    Disabled,
};

struct HotStep {
    bool hot = false;
    bool repaint = false;
    bool trackLeave = false;  // ask for a one-time leave notice
    bool playOverSound = false;
};

// `leftButtonDown` is the mouse button's state at the move.
HotStep StepHotState(bool hot, PointerEvent event, bool leftButtonDown);

}  // namespace shell
