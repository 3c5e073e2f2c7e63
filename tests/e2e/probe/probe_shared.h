// Layout shared between launcher_probe.exe and korv_probe_hook.dll.
//
// The probe creates one named mapping per watched process
// ("KorvProbeHook_<pid>"); the hook DLL, once Windows (or Wine) has loaded it
// into a process, only acts if a mapping for its own process id exists. That
// keeps the global hook inert in every other process of the desktop.
#pragma once

#include <windows.h>

#define KORV_PROBE_MAGIC 0x4B505231L  // "KPR1"
#define KORV_PROBE_MAPPING_FMT L"KorvProbeHook_%lu"
#define KORV_PROBE_COMMAND_MSG L"KorvProbeCommand"

// How the first show of the form window was observed.
enum KorvShowEvent : LONG {
    kShowNone = 0,
    kShowWmShowWindow = 1,       // WM_SHOWWINDOW(TRUE), sent before the window turns visible
    kShowPosChanging = 2,        // WM_WINDOWPOSCHANGING with SWP_SHOWWINDOW
    kShowStyleChanging = 3,      // SetWindowLong(GWL_STYLE) adding WS_VISIBLE
    kShowMissed = 4,             // the window was already visible when the hook first saw it
};

// Commands sent with the registered message KORV_PROBE_COMMAND_MSG; they run
// inside the launcher's GUI thread, from the WH_CALLWNDPROC hook.
enum KorvProbeCommand : LONG {
    kCmdQuery = 1,        // fill menu_items, focus_* fields
    kCmdFocusChild = 2,   // SetFocus on the n-th direct child (wParam = index)
    kCmdDialogIcon = 3,   // which standard icon a message box shows
};

#define KORV_PROBE_SLOTS 16
#define KORV_PROBE_MENU_ITEMS 4

// What the hooks count per child window of the form window. A slot is taken
// by the first message that names a window; hwnd 0 marks a free slot.
struct KorvControlCounts {
    LONG hwnd;
    LONG draws;        // WM_DRAWITEM for it reaching the form window
    LONG clicks;       // WM_COMMAND / BN_CLICKED from it reaching the form window
    LONG moves;        // WM_MOUSEMOVE for it taken from the queue
    LONG dblclks;      // WM_LBUTTONDBLCLK for it taken from the queue
    LONG last_state;   // DRAWITEMSTRUCT.itemState of its last WM_DRAWITEM
};

enum KorvDialogIcon : LONG {
    kIconUnknown = 0, kIconNone = 1, kIconError = 2, kIconWarning = 3, kIconInformation = 4, kIconQuestion = 5,
};

struct KorvProbeShared {
    LONG magic;
    LONG target_pid;

    // First show of a top-level KorvFormWindow.
    LONG hook_calls;           // any hook call inside the target process
    LONG form_seen;            // a KorvFormWindow message passed through the hook
    LONG show_event;           // KorvShowEvent
    LONG visible_at_show;      // IsWindowVisible() when the event was seen
    LONG exstyle_at_show;
    LONG style_at_show;
    LONG layered_query_ok;     // GetLayeredWindowAttributes() succeeded
    LONG alpha_at_show;
    LONG layered_flags_at_show;
    LONG show_hwnd;            // HWND as 32-bit value (handles fit in 32 bits)

    // Key-down messages for watch_vk that the target's thread took from its
    // queue (WH_GETMESSAGE), i.e. real keyboard input reaching its loop.
    LONG watch_vk;             // set by the probe
    LONG watch_hits;
    LONG watch_msg;            // WM_KEYDOWN or WM_SYSKEYDOWN
    LONG watch_mods;           // bit 0 ctrl, bit 1 shift, bit 2 alt (GetKeyState at that time)
    LONG watch_to_child;       // the message was addressed to a child of the form window

    // Result of the last command.
    LONG cmd_done;             // incremented after each command
    LONG cmd_result;           // 1 on success
    LONG menu_handle_present;
    LONG menu_items;
    LONG focus_hwnd;
    LONG focus_is_child;
    LONG icon_big;             // WM_GETICON answers, asked from inside
    LONG icon_small;
    LONG dialog_icon;          // KorvDialogIcon
    WCHAR focus_class[64];

    // Counters per control (see KorvControlCounts).
    KorvControlCounts controls[KORV_PROBE_SLOTS];

    // Pop-up menus the form window's thread tracks (TrackPopupMenu).
    LONG popup_opens;          // WM_INITMENUPOPUP sent to the form window
    LONG menu_loops_entered;   // WM_ENTERMENULOOP
    LONG menu_loops_left;      // WM_EXITMENULOOP
    LONG menu_commands;        // WM_COMMAND with lParam 0 (a menu entry chosen)
    LONG last_menu_command;    // its identifier
    LONG popup_items;          // GetMenuItemCount of the last pop-up
    LONG popup_idle;           // WM_ENTERIDLE(MSGF_MENU) seen for the last pop-up
    LONG popup_window;         // the menu window named by WM_ENTERIDLE
    LONG popup_item_ids[KORV_PROBE_MENU_ITEMS];
    LONG popup_item_flags[KORV_PROBE_MENU_ITEMS];  // GetMenuState
    RECT popup_item_rects[KORV_PROBE_MENU_ITEMS];  // GetMenuItemRect, screen
    WCHAR popup_item_text[KORV_PROBE_MENU_ITEMS][32];

    // Notification-area callbacks (WM_APP + 100) reaching the form window,
    // by the mouse message in lParam: WM_MOUSEMOVE, WM_LBUTTONDOWN,
    // WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
    // the middle button's messages, anything else.
    LONG tray_callbacks[8];
};
