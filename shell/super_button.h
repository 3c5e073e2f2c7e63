// The SuperBtn unit: a system push button switched to owner-drawn, which
// paints its own face per state, follows the pointer without a timer or a
// capture of its own, and raises its clicked event on the system's click.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "shell/control_unit.h"
#include "shell/super_button_look.h"
#include "shell/win_handles.h"

namespace shell {

class SuperButton final : public ControlUnit {
public:
    static std::unique_ptr<ControlUnit> Create(const ControlCreation& creation);
    ~SuperButton() override;

    HWND Window() const override { return window_; }
    std::optional<PropertyValue> Property(std::size_t number) const override;
    bool SetProperty(std::size_t number, const PropertyValue& value) override;
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The push-button type asked for at creation, before the switch to owner-drawn.
    DWORD RequestedType() const { return requestedType_; }

private:
    explicit SuperButton(const UnitModel& unit);
    bool CreateWindowFor(const ControlCreation& creation);
    void DeriveState();
    void ApplyFont();
    void ApplyToolTip();

    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void FollowPointer(WPARAM keys);
    void Step(PointerEvent event, bool leftButtonDown = false);
    void OnClicked();

    void Paint(const DRAWITEMSTRUCT& item) const;
    void PaintBackground(HDC dc, const RECT& face, const FaceState& state, const FaceLook& look) const;
    void PaintPicture(HDC dc, RECT& area, const FaceState& state) const;
    void PaintCaption(HDC dc, const RECT& area, const FaceState& state, const FaceLook& look) const;
    ButtonColours WorkingColours() const;
    void PlaySoundBytes(std::size_t property) const;
    const std::string& Bytes(std::size_t property) const;
    bool Flag(std::size_t property) const;

    const UnitModel& unit_;
    std::vector<PropertyValue> properties_;
    HWND window_ = nullptr;
    WNDPROC systemProcedure_ = nullptr;
    DWORD requestedType_ = BS_PUSHBUTTON;

    // Fixed at creation (and again after a property write).
    FaceStyle faceStyle_ = FaceStyle::Xp;
    PressStyle pressStyle_ = PressStyle::RightAndDown;
    bool followsPointer_ = true;
    ButtonColours colours_;

    bool hot_ = false;
    bool checked_ = false;
    UniqueGdiObject font_;  // only when made from the stored record
    UniqueWindow toolTip_;
};

}  // namespace shell
