// korv_probe_hook.dll: global WH_CALLWNDPROC / WH_GETMESSAGE hooks that let
// launcher_probe.exe look at the launcher from inside its own GUI thread.
//
// Why a hook DLL rather than an out-of-context WinEvent: a WH_CALLWNDPROC hook
// runs synchronously in the thread that owns the window, before the window
// procedure sees the message. WM_SHOWWINDOW(TRUE) and WM_WINDOWPOSCHANGING
// with SWP_SHOWWINDOW are sent while the window is still invisible, so the
// extended style and layered attributes read here are exactly those the window
// has at the moment it becomes visible; the launcher cannot change them in
// between. An out-of-context WinEvent is queued to the probe and read later,
// so a window shown unlayered and layered a moment after would look fine.
// Both Windows and Wine 8 load a hook DLL into the hooked 32-bit process on
// the first hooked message of its thread (WM_NCCREATE at the latest), so
// the first show cannot slip past; if the window was visible already when
// the hook first met it, that is recorded as "missed", never as a pass.
#include "probe_shared.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

HINSTANCE g_self = nullptr;
KorvProbeShared* g_shared = nullptr;
HANDLE g_mapping = nullptr;
UINT g_command_msg = 0;
// Every probe that installs the hooks adds one entry per hook to the chain,
// and each entry calls this same DLL, the later ones from inside
// CallNextHookEx of the earlier ones. A per-thread flag set around that call
// lets only the outermost call count, so two probes never count twice.
DWORD g_nesting_tls = TLS_OUT_OF_INDEXES;

bool enter_hook() {
    if (g_nesting_tls == TLS_OUT_OF_INDEXES || TlsGetValue(g_nesting_tls)) return false;
    TlsSetValue(g_nesting_tls, reinterpret_cast<void*>(1));
    return true;
}

LRESULT leave_hook(bool entered, int code, WPARAM wp, LPARAM lp) {
    const LRESULT r = CallNextHookEx(nullptr, code, wp, lp);
    if (entered) TlsSetValue(g_nesting_tls, nullptr);
    return r;
}

// Looks for the probe's mapping of this process. It is looked up again on
// every call until found, because the probe may create it long after the DLL
// got loaded here by an earlier hook.
KorvProbeShared* shared() {
    if (g_shared) return g_shared;
    wchar_t name[64];
    swprintf(name, 64, KORV_PROBE_MAPPING_FMT, static_cast<unsigned long>(GetCurrentProcessId()));
    HANDLE h = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!h) return nullptr;
    void* view = MapViewOfFile(h, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(KorvProbeShared));
    if (!view) {
        CloseHandle(h);
        return nullptr;
    }
    auto* s = static_cast<KorvProbeShared*>(view);
    if (s->magic != KORV_PROBE_MAGIC || s->target_pid != static_cast<LONG>(GetCurrentProcessId())) {
        UnmapViewOfFile(view);
        CloseHandle(h);
        return nullptr;
    }
    g_mapping = h;
    g_shared = s;
    g_command_msg = RegisterWindowMessageW(KORV_PROBE_COMMAND_MSG);
    return g_shared;
}

bool is_form_window(HWND hwnd) {
    if (!hwnd || GetParent(hwnd)) return false;
    wchar_t cls[64];
    if (!GetClassNameW(hwnd, cls, 64)) return false;
    return wcscmp(cls, L"KorvFormWindow") == 0;
}

HWND form_of(HWND hwnd) {
    HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    return is_form_window(root) ? root : nullptr;
}

LONG as_long(HWND h) { return static_cast<LONG>(reinterpret_cast<INT_PTR>(h)); }

void record_show(KorvProbeShared* s, HWND hwnd, LONG event) {
    if (s->show_event != kShowNone) return;  // only the first show counts
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    const BOOL ok = GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags);
    s->visible_at_show = IsWindowVisible(hwnd) ? 1 : 0;
    s->exstyle_at_show = GetWindowLongW(hwnd, GWL_EXSTYLE);
    s->style_at_show = GetWindowLongW(hwnd, GWL_STYLE);
    s->layered_query_ok = ok ? 1 : 0;
    s->alpha_at_show = ok ? alpha : -1;
    s->layered_flags_at_show = ok ? static_cast<LONG>(flags) : -1;
    s->show_hwnd = as_long(hwnd);
    InterlockedExchange(&s->show_event, event);
}

LONG dialog_icon_kind(HWND dlg) {
    // MessageBox puts its icon into a SS_ICON static; the standard icons are
    // shared per process, so comparing handles here (in the same process)
    // tells which one it is.
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32];
        if (!GetClassNameW(c, cls, 32) || _wcsicmp(cls, L"Static") != 0) continue;
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        HICON icon = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
        if (!icon) return kIconNone;
        if (icon == LoadIconW(nullptr, IDI_HAND)) return kIconError;
        if (icon == LoadIconW(nullptr, IDI_EXCLAMATION)) return kIconWarning;
        if (icon == LoadIconW(nullptr, IDI_ASTERISK)) return kIconInformation;
        if (icon == LoadIconW(nullptr, IDI_QUESTION)) return kIconQuestion;
        return kIconUnknown;
    }
    return kIconNone;
}

void run_command(KorvProbeShared* s, HWND target, WPARAM cmd_arg, LONG cmd) {
    LONG result = 0;
    if (cmd == kCmdFocusChild) {
        HWND child = GetWindow(target, GW_CHILD);
        for (WPARAM i = 0; child && i < cmd_arg; ++i) child = GetWindow(child, GW_HWNDNEXT);
        if (child) {
            SetFocus(child);
            result = GetFocus() == child ? 1 : 0;
        }
    } else if (cmd == kCmdDialogIcon) {
        s->dialog_icon = dialog_icon_kind(target);
        result = 1;
    } else if (cmd == kCmdQuery) {
        result = 1;
    }
    HMENU menu = GetMenu(target);
    s->menu_handle_present = menu ? 1 : 0;
    s->menu_items = menu ? GetMenuItemCount(menu) : -1;
    s->icon_big = SendMessageW(target, WM_GETICON, ICON_BIG, 0) ? 1 : 0;
    s->icon_small = SendMessageW(target, WM_GETICON, ICON_SMALL, 0) ? 1 : 0;
    HWND focus = GetFocus();
    s->focus_hwnd = as_long(focus);
    s->focus_is_child = (focus && focus != target && IsChild(target, focus)) ? 1 : 0;
    s->focus_class[0] = 0;
    if (focus) GetClassNameW(focus, s->focus_class, 64);
    s->cmd_result = result;
    InterlockedIncrement(&s->cmd_done);
}

// The slot counting messages for one control, taken on first use.
KorvControlCounts* slot_of(KorvProbeShared* s, HWND control) {
    const LONG h = as_long(control);
    if (!h) return nullptr;
    for (KorvControlCounts& c : s->controls) {
        if (c.hwnd == h) return &c;
        if (c.hwnd == 0 && InterlockedCompareExchange(&c.hwnd, h, 0) == 0) return &c;
        if (c.hwnd == h) return &c;
    }
    return nullptr;
}

HMENU g_popup = nullptr;  // the pop-up of the running menu loop (this process)

void record_popup_items(KorvProbeShared* s, HMENU menu) {
    g_popup = menu;
    const int n = GetMenuItemCount(menu);
    s->popup_items = n;
    s->popup_idle = 0;
    s->popup_window = 0;
    for (int i = 0; i < KORV_PROBE_MENU_ITEMS; ++i) {
        s->popup_item_text[i][0] = 0;
        s->popup_item_ids[i] = 0;
        s->popup_item_flags[i] = 0;
        SetRectEmpty(&s->popup_item_rects[i]);
        if (i >= n) continue;
        s->popup_item_ids[i] = static_cast<LONG>(GetMenuItemID(menu, i));
        s->popup_item_flags[i] = static_cast<LONG>(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION));
        GetMenuStringW(menu, static_cast<UINT>(i), s->popup_item_text[i], 32, MF_BYPOSITION);
    }
}

// Once the menu loop idles the pop-up is on screen and its items have places.
void record_popup_places(KorvProbeShared* s, HWND menu_window) {
    if (!g_popup) return;
    for (int i = 0; i < KORV_PROBE_MENU_ITEMS && i < s->popup_items; ++i)
        GetMenuItemRect(nullptr, g_popup, static_cast<UINT>(i), &s->popup_item_rects[i]);
    s->popup_window = as_long(menu_window);
    InterlockedExchange(&s->popup_idle, 1);
}

void count_form_message(KorvProbeShared* s, const CWPSTRUCT* cwp) {
    switch (cwp->message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(cwp->lParam);
        if (KorvControlCounts* c = slot_of(s, item->hwndItem)) {
            c->last_state = static_cast<LONG>(item->itemState);
            InterlockedIncrement(&c->draws);
        }
        break;
    }
    case WM_COMMAND:
        if (cwp->lParam == 0) {  // sent rather than posted
            s->last_menu_command = LOWORD(cwp->wParam);
            InterlockedIncrement(&s->menu_commands);
        } else if (HIWORD(cwp->wParam) == BN_CLICKED) {
            if (KorvControlCounts* c = slot_of(s, reinterpret_cast<HWND>(cwp->lParam))) InterlockedIncrement(&c->clicks);
        }
        break;
    case WM_INITMENUPOPUP:
        record_popup_items(s, reinterpret_cast<HMENU>(cwp->wParam));
        InterlockedIncrement(&s->popup_opens);
        break;
    case WM_ENTERIDLE:
        if (cwp->wParam == MSGF_MENU) record_popup_places(s, reinterpret_cast<HWND>(cwp->lParam));
        break;
    case WM_APP + 100: {
        int k = 7;
        switch (cwp->lParam) {
        case WM_MOUSEMOVE: k = 0; break;
        case WM_LBUTTONDOWN: k = 1; break;
        case WM_LBUTTONUP: k = 2; break;
        case WM_LBUTTONDBLCLK: k = 3; break;
        case WM_RBUTTONDOWN: k = 4; break;
        case WM_RBUTTONUP: k = 5; break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK: k = 6; break;
        default: break;
        }
        InterlockedIncrement(&s->tray_callbacks[k]);
        break;
    }
    case WM_ENTERMENULOOP: InterlockedIncrement(&s->menu_loops_entered); break;
    case WM_EXITMENULOOP:
        g_popup = nullptr;
        InterlockedIncrement(&s->menu_loops_left);
        break;
    default: break;
    }
}

void count_queued_message(KorvProbeShared* s, const MSG* m) {
    // A chosen menu entry is posted, so only this hook sees it.
    if (m->message == WM_COMMAND && m->lParam == 0 && is_form_window(m->hwnd)) {
        s->last_menu_command = LOWORD(m->wParam);
        InterlockedIncrement(&s->menu_commands);
        return;
    }
    if (m->message != WM_MOUSEMOVE && m->message != WM_LBUTTONDBLCLK) return;
    HWND form = form_of(m->hwnd);
    if (!form || m->hwnd == form) return;
    if (KorvControlCounts* c = slot_of(s, m->hwnd)) {
        if (m->message == WM_MOUSEMOVE) InterlockedIncrement(&c->moves);
        else InterlockedIncrement(&c->dblclks);
    }
}

LONG modifier_bits() {
    LONG m = 0;
    if (GetKeyState(VK_CONTROL) < 0) m |= 1;
    if (GetKeyState(VK_SHIFT) < 0) m |= 2;
    if (GetKeyState(VK_MENU) < 0) m |= 4;
    return m;
}

}  // namespace

extern "C" {

__declspec(dllexport) LRESULT CALLBACK korv_call_wnd_proc(int code, WPARAM wp, LPARAM lp) {
    const bool entered = code == HC_ACTION && enter_hook();
    if (entered) {
        if (KorvProbeShared* s = shared()) {
            InterlockedIncrement(&s->hook_calls);
            const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lp);
            if (is_form_window(cwp->hwnd)) {
                s->form_seen = 1;
                count_form_message(s, cwp);
                if (s->show_event == kShowNone) {
                    if (IsWindowVisible(cwp->hwnd)) {
                        record_show(s, cwp->hwnd, kShowMissed);
                    } else if (cwp->message == WM_SHOWWINDOW && cwp->wParam) {
                        record_show(s, cwp->hwnd, kShowWmShowWindow);
                    } else if (cwp->message == WM_WINDOWPOSCHANGING &&
                               (reinterpret_cast<const WINDOWPOS*>(cwp->lParam)->flags & SWP_SHOWWINDOW)) {
                        record_show(s, cwp->hwnd, kShowPosChanging);
                    } else if (cwp->message == WM_STYLECHANGING && cwp->wParam == static_cast<WPARAM>(GWL_STYLE)) {
                        const STYLESTRUCT* ss = reinterpret_cast<const STYLESTRUCT*>(cwp->lParam);
                        if ((ss->styleNew & WS_VISIBLE) && !(ss->styleOld & WS_VISIBLE))
                            record_show(s, cwp->hwnd, kShowStyleChanging);
                    }
                }
            }
            if (g_command_msg && cwp->message == g_command_msg)
                run_command(s, cwp->hwnd, cwp->wParam, static_cast<LONG>(cwp->lParam));
        }
    }
    return leave_hook(entered, code, wp, lp);
}

__declspec(dllexport) LRESULT CALLBACK korv_get_msg_proc(int code, WPARAM wp, LPARAM lp) {
    const bool entered = code == HC_ACTION && enter_hook();
    if (entered && wp == PM_REMOVE) {
        if (KorvProbeShared* s = shared()) {
            InterlockedIncrement(&s->hook_calls);
            const MSG* m = reinterpret_cast<const MSG*>(lp);
            count_queued_message(s, m);
            if ((m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN) &&
                static_cast<LONG>(m->wParam) == s->watch_vk) {
                if (HWND form = form_of(m->hwnd)) {
                    s->watch_msg = static_cast<LONG>(m->message);
                    s->watch_mods = modifier_bits();
                    s->watch_to_child = (m->hwnd != form) ? 1 : 0;
                    InterlockedIncrement(&s->watch_hits);
                }
            }
        }
    }
    return leave_hook(entered, code, wp, lp);
}

// Installs both hooks for every thread of the desktop. Exported with C
// linkage and the default calling convention so GetProcAddress finds the
// same name with MinGW and MSVC.
__declspec(dllexport) int korv_install_hooks(HHOOK* call_wnd, HHOOK* get_msg) {
    *call_wnd = SetWindowsHookExW(WH_CALLWNDPROC, korv_call_wnd_proc, g_self, 0);
    *get_msg = SetWindowsHookExW(WH_GETMESSAGE, korv_get_msg_proc, g_self, 0);
    return (*call_wnd && *get_msg) ? 1 : 0;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = inst;
        g_nesting_tls = TlsAlloc();
        DisableThreadLibraryCalls(inst);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (g_shared) UnmapViewOfFile(g_shared);
        if (g_mapping) CloseHandle(g_mapping);
        if (g_nesting_tls != TLS_OUT_OF_INDEXES) TlsFree(g_nesting_tls);
    }
    return TRUE;
}
