// A loaded form window: builds itself and its units from the form model in a
// fixed order, handles the window-level keys, and tears down through
// WM_DESTROY and WM_NCDESTROY. The window procedure binds this object at
// WM_NCCREATE and unbinds it at WM_NCDESTROY, so no message reaches it dead.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/control_unit.h"
#include "shell/form_model.h"
#include "shell/menu_rules.h"
#include "shell/win_handles.h"
#include "tray/tray_icon.h"

namespace shell {

class FormRuntime;

// The window's class, registered by the runtime.
inline constexpr wchar_t kFormWindowClass[] = L"KorvFormWindow";


class FormWindow {
public:
    FormWindow(FormRuntime& runtime, const FormModel& form);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    static bool RegisterWindowClass(HINSTANCE instance);

    bool Load(std::string& error);
    bool Alive() const { return window_ != nullptr; }
    HWND Handle() const { return window_; }
    const std::string& Name() const { return form_.window.name; }

    // The visible property: false hides with SW_HIDE, true shows with SW_SHOW.
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }

    // Returns at once; the window goes when the loop delivers the request.
    void RequestDestroy();

    // The window's look at a key message before dispatch; true when taken.
    bool PreTranslate(MSG& message);

    // A control unit of this window by its name.
    ControlUnit* Unit(std::string_view name) const;

    // The menu units, in stored order, and the position of one of them.
    std::vector<MenuUnitView> MenuViews() const;
    std::optional<std::size_t> MenuPosition(std::string_view name) const;

    // The window's notification-area icon.
    tray::TrayIcon& Tray() { return tray_; }

    // Whether one of the window's pop-up menus is open; its modal loop keeps
    // dispatching, so a second one must not start inside it.
    bool PopupOpen() const { return popupOpen_; }
    void SetPopupOpen(bool open) { popupOpen_ = open; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool Build(std::string& error);
    void DestroyOrDefer();
    bool BuildMenuBar();
    void OnMenuCommand(unsigned commandId) const;
    bool CreateFrame(std::string& error);
    void SetIcons();
    bool CreateControls(std::string& error);
    void StackControls();
    void BuildTabOrder();
    void Raise(std::string_view event, const EventArgs& args = {}) const;
    ControlUnit* FocusedUnit() const;
    void MoveFocus(const ControlUnit& from, bool forward);
    ControlUnit* UnitOf(HWND control) const;
    void OnDestroy();
    void OnFinalDestroy();

    FormRuntime& runtime_;
    const FormModel& form_;
    HWND window_ = nullptr;
    bool visible_ = false;
    bool destroyRequested_ = false;
    bool loading_ = false;
    bool destroyDeferred_ = false;  // asked for while loading
    bool popupOpen_ = false;
    UniqueMenu menuBar_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    struct LiveControl {
        const UnitModel* unit = nullptr;
        std::unique_ptr<ControlUnit> control;
    };
    std::vector<LiveControl> controls_;  // in creation order: the stored order reversed
    std::vector<std::unique_ptr<ControlUnit>> retired_;  // units whose windows are gone
    std::vector<ControlUnit*> tabOrder_;
    std::vector<const UnitModel*> menuUnits_;  // in stored order
    tray::TrayIcon tray_;
    UINT taskbarCreated_ = 0;  // broadcast when the shell's notification area is new
};

}  // namespace shell
