// launcher_probe.exe: looks at the launcher from the Windows side for the
// end-to-end tests. Every subcommand prints key=value lines on stdout and
// exits 0; on a failure or time-out it prints a message on stderr and exits
// non-zero. Run without arguments for the list of subcommands.
#include "probe_shared.h"

#include <psapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

const wchar_t kFormClass[] = L"KorvFormWindow";
// "Ｓｕｐｅｒ－ＥＣ" in GBK; the launcher opens it with OpenFileMappingA.
const char kMappingNameGbk[] =
    "\xA3\xD3\xA3\xF5\xA3\xF0\xA3\xE5\xA3\xF2\xA3\xAD\xA3\xC5\xA3\xC3";
const wchar_t kHookDllName[] = L"korv_probe_hook.dll";
const DWORD kPollMs = 20;

// ---------------------------------------------------------------- output

void out(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stdout, fmt, ap);
    va_end(ap);
    fputc('\n', stdout);
    fflush(stdout);
}

int fail(int code, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    fputs("probe: ", stderr);
    vfprintf(stderr, fmt, ap);
    va_end(ap);
    fputc('\n', stderr);
    fflush(stderr);
    return code;
}

std::string narrow_utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::string hex_bytes(const unsigned char* p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// Window text in GBK (code page 936) as hex, independent of the ANSI code page.
std::string gbk_hex(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(936, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string("?");
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return hex_bytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

std::wstring window_text(HWND h) {
    wchar_t buf[1024];
    int n = GetWindowTextW(h, buf, 1024);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring class_name(HWND h) {
    wchar_t buf[256];
    int n = h ? GetClassNameW(h, buf, 256) : 0;
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

unsigned long hv(HWND h) { return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)); }

// Under Wine every window with an X11 counterpart carries its X window id as
// this property; 0 elsewhere. The harness hands it to xdotool.
unsigned long x11_window(HWND h) {
    return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetPropW(h, L"__wine_x11_whole_window")));
}

DWORD parse_dword(const wchar_t* s) { return static_cast<DWORD>(wcstoul(s, nullptr, 0)); }

ULONGLONG now_ms() { return GetTickCount64(); }

// Waits for a handle or the deadline, dispatching messages meanwhile so that
// hooks and WinEvents aimed at this thread are never held up by the probe.
bool pump_until(ULONGLONG deadline, HANDLE h = nullptr) {
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        ULONGLONG t = now_ms();
        if (t >= deadline) return h ? WaitForSingleObject(h, 0) == WAIT_OBJECT_0 : false;
        DWORD left = static_cast<DWORD>(deadline - t);
        DWORD wait = left < kPollMs ? left : kPollMs;
        DWORD r = MsgWaitForMultipleObjects(h ? 1 : 0, h ? &h : nullptr, FALSE, wait, QS_ALLINPUT);
        if (h && r == WAIT_OBJECT_0) return true;
        if (!h && r == WAIT_TIMEOUT) return false;  // caller re-checks its condition
    }
}

// ---------------------------------------------------------------- windows

struct FindCtx {
    DWORD pid;
    const wchar_t* cls;
    bool need_visible;
    std::vector<HWND> found;
};

BOOL CALLBACK find_proc(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<FindCtx*>(lp);
    if (class_name(h) != c->cls) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (c->pid && pid != c->pid) return TRUE;
    if (c->need_visible && !IsWindowVisible(h)) return TRUE;
    c->found.push_back(h);
    return TRUE;
}

std::vector<HWND> top_windows(DWORD pid, const wchar_t* cls, bool need_visible) {
    FindCtx c{pid, cls, need_visible, {}};
    EnumWindows(find_proc, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

HWND wait_top_window(DWORD pid, const wchar_t* cls, bool need_visible, DWORD timeout_ms, HANDLE process = nullptr) {
    ULONGLONG deadline = now_ms() + timeout_ms;
    for (;;) {
        auto v = top_windows(pid, cls, need_visible);
        if (!v.empty()) return v.front();
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return nullptr;
        if (now_ms() >= deadline) return nullptr;
        pump_until(now_ms() + kPollMs);
    }
}

HWND form_window(DWORD pid) {
    auto v = top_windows(pid, kFormClass, false);
    for (HWND h : v)
        if (IsWindowVisible(h)) return h;
    return v.empty() ? nullptr : v.front();
}

void print_rect(const char* key, const RECT& r) {
    out("%s=%ld,%ld,%ld,%ld", key, r.left, r.top, r.right, r.bottom);
}

// ---------------------------------------------------------------- processes

std::wstring quote_arg(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) return a;
    std::wstring q = L"\"";
    size_t backslashes = 0;
    for (wchar_t ch : a) {
        if (ch == L'\\') {
            ++backslashes;
        } else if (ch == L'"') {
            q.append(backslashes * 2 + 1, L'\\');
            q += ch;
            backslashes = 0;
        } else {
            q.append(backslashes, L'\\');
            q += ch;
            backslashes = 0;
        }
    }
    q.append(backslashes * 2, L'\\');
    q += L'"';
    return q;
}

bool start_process(const std::vector<std::wstring>& argv, bool suspended, PROCESS_INFORMATION* pi) {
    std::wstring cmd;
    for (size_t i = 0; i < argv.size(); ++i) {
        if (i) cmd += L' ';
        cmd += quote_arg(argv[i]);
    }
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    std::vector<wchar_t> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    // The application name is given separately so that a launcher copied
    // under a name like LAUNCHER.TMP starts exactly as that file.
    return CreateProcessW(argv[0].c_str(), buf.data(), nullptr, nullptr, FALSE,
                          suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &si, pi) != 0;
}

bool wait_exit(HANDLE process, DWORD timeout_ms, DWORD* code) {
    if (!pump_until(now_ms() + timeout_ms, process)) return false;
    GetExitCodeProcess(process, code);
    return true;
}

void print_exit(DWORD code) {
    out("exit_code=%ld", static_cast<long>(code));
    out("exit_code_u32=%lu", static_cast<unsigned long>(code));
}

DWORD pid_by_image(const wchar_t* image) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W pe;
    pe.dwSize = sizeof(pe);
    DWORD pid = 0;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (_wcsicmp(pe.szExeFile, image) == 0) {
            pid = pe.th32ProcessID;
            break;
        }
    }
    CloseHandle(snap);
    return pid;
}

// ---------------------------------------------------------------- hook DLL

struct Hook {
    HMODULE dll = nullptr;
    HHOOK call_wnd = nullptr;
    HHOOK get_msg = nullptr;
    HANDLE mapping = nullptr;
    KorvProbeShared* shared = nullptr;
    UINT command_msg = 0;

    ~Hook() {
        if (call_wnd) UnhookWindowsHookEx(call_wnd);
        if (get_msg) UnhookWindowsHookEx(get_msg);
        if (shared) UnmapViewOfFile(shared);
        if (mapping) CloseHandle(mapping);
    }
};

std::wstring probe_dir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

// Creates (or reopens, if the target still maps it from an earlier probe
// run) the shared block for target_pid and installs the global hooks.
bool attach_hook(Hook* hk, DWORD target_pid, const char** why) {
    wchar_t name[64];
    swprintf(name, 64, KORV_PROBE_MAPPING_FMT, static_cast<unsigned long>(target_pid));
    hk->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(KorvProbeShared), name);
    if (!hk->mapping) return *why = "CreateFileMapping for the hook failed", false;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    hk->shared = static_cast<KorvProbeShared*>(
        MapViewOfFile(hk->mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(KorvProbeShared)));
    if (!hk->shared) return *why = "MapViewOfFile for the hook failed", false;
    if (!existed) {
        ZeroMemory(hk->shared, sizeof(KorvProbeShared));
        hk->shared->target_pid = static_cast<LONG>(target_pid);
        InterlockedExchange(&hk->shared->magic, KORV_PROBE_MAGIC);
    }
    hk->command_msg = RegisterWindowMessageW(KORV_PROBE_COMMAND_MSG);
    std::wstring dll = probe_dir() + kHookDllName;
    hk->dll = LoadLibraryW(dll.c_str());
    if (!hk->dll) return *why = "cannot load korv_probe_hook.dll next to the probe", false;
    typedef int(__cdecl * InstallFn)(HHOOK*, HHOOK*);
    auto install = reinterpret_cast<InstallFn>(reinterpret_cast<void*>(GetProcAddress(hk->dll, "korv_install_hooks")));
    if (!install) return *why = "korv_install_hooks not exported", false;
    if (!install(&hk->call_wnd, &hk->get_msg)) return *why = "SetWindowsHookEx failed", false;
    return true;
}

// Runs a command inside the target's GUI thread and waits for its result.
bool hook_command(Hook* hk, HWND target, LONG cmd, WPARAM arg, DWORD timeout_ms) {
    LONG before = hk->shared->cmd_done;
    DWORD_PTR res = 0;
    if (!SendMessageTimeoutW(target, hk->command_msg, arg, cmd, SMTO_ABORTIFHUNG, timeout_ms, &res))
        return false;
    ULONGLONG deadline = now_ms() + timeout_ms;
    while (hk->shared->cmd_done == before) {
        if (now_ms() >= deadline) return false;
        pump_until(now_ms() + kPollMs);
    }
    return true;
}

const char* show_event_name(LONG e) {
    switch (e) {
    case kShowNone: return "none";
    case kShowWmShowWindow: return "WM_SHOWWINDOW";
    case kShowPosChanging: return "WM_WINDOWPOSCHANGING";
    case kShowStyleChanging: return "WM_STYLECHANGING";
    case kShowMissed: return "missed";
    }
    return "?";
}

const char* icon_name(LONG i) {
    switch (i) {
    case kIconNone: return "none";
    case kIconError: return "error";
    case kIconWarning: return "warning";
    case kIconInformation: return "information";
    case kIconQuestion: return "question";
    }
    return "unknown";
}

void print_show(const KorvProbeShared* s) {
    const bool layered = (s->exstyle_at_show & WS_EX_LAYERED) && s->layered_query_ok &&
                         (s->layered_flags_at_show & LWA_ALPHA);
    out("hook_calls=%ld", s->hook_calls);
    out("form_seen=%ld", s->form_seen);
    out("show_event=%s", show_event_name(s->show_event));
    out("visible_before_show=%ld", s->visible_at_show);
    out("exstyle_at_show=0x%08lX", static_cast<unsigned long>(s->exstyle_at_show));
    out("style_at_show=0x%08lX", static_cast<unsigned long>(s->style_at_show));
    out("layered_at_show=%d", layered ? 1 : 0);
    out("alpha_at_show=%ld", s->alpha_at_show);
    out("layered_flags_at_show=%ld", s->layered_flags_at_show);
}

// ---------------------------------------------------------------- WinEvent

// Out-of-context EVENT_OBJECT_SHOW, kept beside the hook only to report how
// the platform delivers it; the verdict never rests on it, as it is read
// after the fact. Wine 8 never delivered it across processes here
// (winevent_seen=0), while the hook DLL saw every show.
struct WinEventSeen {
    DWORD pid = 0;
    int seen = 0;
    LONG exstyle = 0;
    int alpha = -1;
};
WinEventSeen g_winevent;

void CALLBACK winevent_proc(HWINEVENTHOOK, DWORD event, HWND h, LONG obj, LONG, DWORD, DWORD) {
    if (event != EVENT_OBJECT_SHOW || obj != OBJID_WINDOW || !h || g_winevent.seen) return;
    if (class_name(h) != kFormClass) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != g_winevent.pid) return;
    g_winevent.seen = 1;
    g_winevent.exstyle = GetWindowLongW(h, GWL_EXSTYLE);
    BYTE a = 0;
    DWORD f = 0;
    COLORREF k = 0;
    g_winevent.alpha = GetLayeredWindowAttributes(h, &k, &a, &f) ? a : -1;
}

// ---------------------------------------------------------------- commands

std::vector<std::wstring> rest(const std::vector<std::wstring>& a, size_t from) {
    return std::vector<std::wstring>(a.begin() + static_cast<std::ptrdiff_t>(from), a.end());
}

// Leading --name value options of a subcommand; returns the index of the
// first positional argument.
size_t options(const std::vector<std::wstring>& a, size_t i, DWORD* timeout_ms, bool* flag,
               const wchar_t* flag_name, DWORD* extra = nullptr, const wchar_t* extra_name = nullptr) {
    while (i < a.size() && a[i].size() > 2 && a[i][0] == L'-' && a[i][1] == L'-') {
        if (a[i] == L"--timeout" && i + 1 < a.size()) {
            *timeout_ms = parse_dword(a[i + 1].c_str());
            i += 2;
        } else if (flag_name && a[i] == flag_name) {
            *flag = true;
            i += 1;
        } else if (extra_name && a[i] == extra_name && i + 1 < a.size()) {
            *extra = parse_dword(a[i + 1].c_str());
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

int cmd_wait_window(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return fail(2, "usage: wait-window <pid|0> <timeout_ms> [--hidden-ok]");
    DWORD pid = parse_dword(a[2].c_str());
    DWORD timeout = parse_dword(a[3].c_str());
    bool hidden_ok = a.size() > 4 && a[4] == L"--hidden-ok";
    // With a pid, stop waiting as soon as that process is gone.
    HANDLE process = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
    HWND h = wait_top_window(pid, kFormClass, !hidden_ok, timeout, process);
    const bool ended = process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (process) CloseHandle(process);
    if (!h && ended) return fail(3, "pid %lu ended without a KorvFormWindow", static_cast<unsigned long>(pid));
    if (!h) return fail(3, "no %sKorvFormWindow of pid %lu within %lu ms", hidden_ok ? "" : "visible ",
                        static_cast<unsigned long>(pid), static_cast<unsigned long>(timeout));
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    out("hwnd=0x%08lX", hv(h));
    out("pid=%lu", static_cast<unsigned long>(owner));
    out("visible=%d", IsWindowVisible(h) ? 1 : 0);
    out("x11_window=%lu", x11_window(h));
    return 0;
}

int cmd_info(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: info <pid|0> [--no-hook]");
    DWORD pid = parse_dword(a[2].c_str());
    bool no_hook = a.size() > 3 && a[3] == L"--no-hook";
    HWND h = form_window(pid);
    if (!h) return fail(3, "no KorvFormWindow of pid %lu", static_cast<unsigned long>(pid));
    DWORD owner = 0;
    DWORD tid = GetWindowThreadProcessId(h, &owner);
    out("hwnd=0x%08lX", hv(h));
    out("pid=%lu", static_cast<unsigned long>(owner));
    out("x11_window=%lu", x11_window(h));
    out("visible=%d", IsWindowVisible(h) ? 1 : 0);
    out("class=%s", narrow_utf8(class_name(h)).c_str());
    std::wstring title = window_text(h);
    out("title_utf8=%s", narrow_utf8(title).c_str());
    out("title_gbk_hex=%s", gbk_hex(title).c_str());
    RECT r;
    GetWindowRect(h, &r);
    print_rect("rect", r);
    out("size=%ld,%ld", r.right - r.left, r.bottom - r.top);
    RECT cr;
    GetClientRect(h, &cr);
    POINT origin = {0, 0};
    ClientToScreen(h, &origin);
    out("client_rect=%ld,%ld,%ld,%ld", origin.x, origin.y, origin.x + cr.right, origin.y + cr.bottom);
    out("style=0x%08lX", static_cast<unsigned long>(GetWindowLongW(h, GWL_STYLE)));
    out("exstyle=0x%08lX", static_cast<unsigned long>(GetWindowLongW(h, GWL_EXSTYLE)));
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(h, &key, &alpha, &flags)) {
        out("layered_alpha=%u", static_cast<unsigned>(alpha));
        out("layered_flags=%lu", static_cast<unsigned long>(flags));
    } else {
        out("layered_alpha=-1");
        out("layered_flags=-1");
    }
    HMENU menu = GetMenu(h);
    out("menu=%d", menu ? 1 : 0);
    // Menus are per-process objects under Wine, so the count is taken inside
    // the launcher when the hook is available.
    out("menu_items_direct=%d", menu ? GetMenuItemCount(menu) : -1);
    // Under Wine 8 WM_GETICON sent from another process answers 0 even when
    // icons are set, so the values that count come from the hook below.
    DWORD_PTR big = 0, small = 0;
    BOOL big_ok = SendMessageTimeoutW(h, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 5000, &big) != 0;
    BOOL small_ok = SendMessageTimeoutW(h, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, 5000, &small) != 0;
    out("icon_big_direct=%d", big_ok ? (big ? 1 : 0) : -1);
    out("icon_small_direct=%d", small_ok ? (small ? 1 : 0) : -1);
    out("screen=%d,%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    out("metrics_caption=%d", GetSystemMetrics(SM_CYCAPTION));
    out("metrics_size=%d,%d", GetSystemMetrics(SM_CXSIZE), GetSystemMetrics(SM_CYSIZE));
    out("metrics_fixedframe=%d,%d", GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME));
    out("metrics_paddedborder=%d", GetSystemMetrics(SM_CXPADDEDBORDER));
    out("metrics_menu=%d", GetSystemMetrics(SM_CYMENU));
    TITLEBARINFO tbi;
    ZeroMemory(&tbi, sizeof(tbi));
    tbi.cbSize = sizeof(tbi);
    if (GetTitleBarInfo(h, &tbi)) {
        print_rect("titlebar", tbi.rcTitleBar);
        out("titlebar_close_state=0x%lX", static_cast<unsigned long>(tbi.rgstate[5]));
    }
    std::vector<HWND> kids;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
    out("child_count=%u", static_cast<unsigned>(kids.size()));
    for (size_t i = 0; i < kids.size(); ++i) {
        RECT kr;
        GetWindowRect(kids[i], &kr);
        out("child%u=%s|%ld,%ld,%ld,%ld|%s|0x%08lX|%ld|%d", static_cast<unsigned>(i),
            narrow_utf8(class_name(kids[i])).c_str(), kr.left, kr.top, kr.right, kr.bottom,
            gbk_hex(window_text(kids[i])).c_str(), static_cast<unsigned long>(GetWindowLongW(kids[i], GWL_STYLE)),
            static_cast<long>(GetDlgCtrlID(kids[i])), IsWindowVisible(kids[i]) ? 1 : 0);
    }
    GUITHREADINFO gti;
    ZeroMemory(&gti, sizeof(gti));
    gti.cbSize = sizeof(gti);
    if (GetGUIThreadInfo(tid, &gti)) {
        out("focus_hwnd=0x%08lX", hv(gti.hwndFocus));
        out("focus_class=%s", narrow_utf8(class_name(gti.hwndFocus)).c_str());
        out("active_hwnd=0x%08lX", hv(gti.hwndActive));
    }
    out("foreground_is_form=%d", GetForegroundWindow() == h ? 1 : 0);
    out("acp=%u", GetACP());
    if (no_hook) return 0;
    Hook hk;
    const char* why = "";
    if (!attach_hook(&hk, owner, &why)) return fail(4, "%s", why);
    if (!hook_command(&hk, h, kCmdQuery, 0, 10000)) return fail(4, "hook query got no answer from the launcher");
    out("menu_items=%ld", hk.shared->menu_items);
    out("icon_big=%ld", hk.shared->icon_big);
    out("icon_small=%ld", hk.shared->icon_small);
    out("focus_inproc_class=%s", narrow_utf8(hk.shared->focus_class).c_str());
    out("focus_inproc_is_child=%ld", hk.shared->focus_is_child);
    return 0;
}

int cmd_first_show_check(const std::vector<std::wstring>& a) {
    DWORD timeout = 30000;
    bool keep = false;
    size_t i = options(a, 2, &timeout, &keep, L"--keep");
    if (i >= a.size()) return fail(2, "usage: first-show-check [--timeout ms] [--keep] <exe> [args]");
    // The child is created suspended so that the shared block and the hooks
    // exist before its first instruction runs.
    PROCESS_INFORMATION pi;
    if (!start_process(rest(a, i), true, &pi)) return fail(3, "CreateProcess failed (%lu)", GetLastError());
    out("pid=%lu", static_cast<unsigned long>(pi.dwProcessId));
    Hook hk;
    const char* why = "";
    if (!attach_hook(&hk, pi.dwProcessId, &why)) {
        TerminateProcess(pi.hProcess, 1);
        return fail(4, "%s", why);
    }
    g_winevent.pid = pi.dwProcessId;
    HWINEVENTHOOK we = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, winevent_proc,
                                       pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(pi.hThread);
    ULONGLONG deadline = now_ms() + timeout;
    while (hk.shared->show_event == kShowNone && now_ms() < deadline) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        pump_until(now_ms() + kPollMs);
    }
    HWND h = wait_top_window(pi.dwProcessId, kFormClass, true,
                             static_cast<DWORD>(deadline > now_ms() ? deadline - now_ms() : 0), pi.hProcess);
    // Give an out-of-context WinEvent the same chance as the hook had.
    ULONGLONG we_deadline = now_ms() + 2000;
    while (we && !g_winevent.seen && now_ms() < we_deadline) pump_until(now_ms() + kPollMs);
    print_show(hk.shared);
    out("winevent_hook=%d", we ? 1 : 0);
    out("winevent_seen=%d", g_winevent.seen);
    out("winevent_layered=%d", (g_winevent.exstyle & WS_EX_LAYERED) ? 1 : 0);
    out("winevent_alpha=%d", g_winevent.alpha);
    if (we) UnhookWinEvent(we);
    int rc = 0;
    if (!h) {
        rc = fail(5, "the launcher showed no KorvFormWindow within %lu ms", static_cast<unsigned long>(timeout));
    } else if (hk.shared->show_event == kShowNone || hk.shared->show_event == kShowMissed) {
        rc = fail(6, "the hook did not observe the first show (event %s, %ld hook calls)",
                  show_event_name(hk.shared->show_event), hk.shared->hook_calls);
    }
    if (h && !keep) {
        PostMessageW(h, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (wait_exit(pi.hProcess, 20000, &code)) print_exit(code);
        else rc = rc ? rc : fail(7, "the launcher did not end after WM_CLOSE");
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return rc;
}

// The development host's mapping as the host makes it, of a given size (the
// system rounds a view up to whole pages). A read-only one lets every other
// opener read it only, while this handle keeps full access.
HANDLE create_super_ec_mapping(const char** why, DWORD size = 4096, bool read_only = false) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (read_only) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GR;;;WD)", SDDL_REVISION_1, &descriptor,
                                                                  nullptr))
            return *why = "cannot make the read-only security descriptor", nullptr;
        attributes.lpSecurityDescriptor = descriptor;
    }
    HANDLE m = CreateFileMappingA(INVALID_HANDLE_VALUE, read_only ? &attributes : nullptr, PAGE_READWRITE, 0, size,
                                  kMappingNameGbk);
    const DWORD error = GetLastError();
    if (descriptor) LocalFree(descriptor);
    if (!m) return *why = "CreateFileMappingA failed", nullptr;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(m);
        return *why = "the mapping already exists (another holder is running)", nullptr;
    }
    return m;
}

int cmd_mapping_create(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: mapping-create <hold_ms>");
    DWORD hold = parse_dword(a[2].c_str());
    const char* why = "";
    HANDLE m = create_super_ec_mapping(&why);
    if (!m) return fail(3, "%s", why);
    auto* p = static_cast<unsigned char*>(MapViewOfFile(m, FILE_MAP_ALL_ACCESS, 0, 0, 4096));
    if (!p) return fail(3, "MapViewOfFile failed");
    memset(p, 0xFF, 4096);
    out("mapping=created");
    out("acp=%u", GetACP());
    // Holding the mapping for the requested time is the point of this
    // subcommand: another process opens it meanwhile.
    for (ULONGLONG end = now_ms() + hold; now_ms() < end;) pump_until(end);
    out("mapping_first4=%s", hex_bytes(p, 4).c_str());
    UnmapViewOfFile(p);
    CloseHandle(m);
    return 0;
}

// Starts the launcher (named as the caller staged it) while the host's
// mapping exists, reports its first bytes once the window is there, closes
// the launcher and reports its exit code. --read-only and --size make the
// mapping as a faulty host would; --absent makes none at all.
int cmd_mapping_check(const std::vector<std::wstring>& a) {
    DWORD timeout = 30000, size = 4096;
    bool close_early = false, read_only = false, absent = false;
    size_t i = 2;
    for (;;) {
        size_t next = options(a, i, &timeout, &close_early, L"--close-early", &size, L"--size");
        if (next < a.size() && a[next] == L"--read-only") read_only = true, ++next;
        else if (next < a.size() && a[next] == L"--absent") absent = true, ++next;
        if (next == i) break;
        i = next;
    }
    if (i >= a.size())
        return fail(2, "usage: mapping-check [--timeout ms] [--close-early] [--read-only] [--size n] [--absent] <exe> [args]");
    const char* why = "";
    HANDLE m = nullptr;
    unsigned char* p = nullptr;
    if (!absent) {
        m = create_super_ec_mapping(&why, size, read_only);
        if (!m) return fail(3, "%s", why);
        p = static_cast<unsigned char*>(MapViewOfFile(m, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (!p) return fail(3, "MapViewOfFile failed");
        memset(p, 0xFF, size);
        if (read_only) {
            HANDLE other = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kMappingNameGbk);
            out("mapping_writable_by_others=%d", other ? 1 : 0);
            if (other) CloseHandle(other);
        }
    }
    out("acp=%u", GetACP());
    PROCESS_INFORMATION pi;
    if (!start_process(rest(a, i), false, &pi)) return fail(3, "CreateProcess failed (%lu)", GetLastError());
    out("pid=%lu", static_cast<unsigned long>(pi.dwProcessId));
    // The launcher touches the mapping before it creates its window, so the
    // bytes are final once the window exists, visible or not.
    HWND h = wait_top_window(pi.dwProcessId, kFormClass, false, timeout, pi.hProcess);
    out("mapping_first4=%s", p ? hex_bytes(p, 4).c_str() : "absent");
    // Under code page 936 the GBK name is the full-width "Ｓｕｐｅｒ－ＥＣ";
    // reports whether that wide name reaches the same object here.
    HANDLE wide = OpenFileMappingW(FILE_MAP_READ, FALSE, L"\xFF33\xFF55\xFF50\xFF45\xFF52\xFF0D\xFF25\xFF23");
    out("mapping_unicode_name=%d", wide ? 1 : 0);
    if (wide) CloseHandle(wide);
    int rc = 0;
    if (!h) {
        rc = fail(5, "no KorvFormWindow of pid %lu within %lu ms", static_cast<unsigned long>(pi.dwProcessId),
                  static_cast<unsigned long>(timeout));
        TerminateProcess(pi.hProcess, 1);
    } else {
        // Closed the way a user could, once it is on screen; --close-early
        // posts WM_CLOSE while the window may still be hidden (start-up).
        if (!close_early) {
            HWND shown = wait_top_window(pi.dwProcessId, kFormClass, true, timeout, pi.hProcess);
            out("shown_before_close=%d", shown ? 1 : 0);
            if (shown) h = shown;
            // Closed within about a second of start-up, while the browser
            // control's download threads still run, the process sometimes
            // crashes on its way out: Wine under qemu's user-mode emulation
            // cannot end a process with several live threads (see
            // exit-with-threads; --close-early shows it with the launcher).
            // This check is about the mapping, so it closes once they settled.
            Sleep(3000);
        }
        PostMessageW(h, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (wait_exit(pi.hProcess, 20000, &code)) print_exit(code);
        else rc = fail(7, "the launcher did not end after WM_CLOSE");
    }
    if (p) UnmapViewOfFile(p);
    if (m) CloseHandle(m);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return rc;
}

// Supervises one process: prints its pid at once, then its exit code when it
// ends. With --watch the hooks are in place before it runs and the first-show
// facts are printed too (show_event=none means no form window was shown).
int cmd_run(const std::vector<std::wstring>& a) {
    DWORD timeout = 120000;
    bool watch = false;
    size_t i = options(a, 2, &timeout, &watch, L"--watch");
    if (i >= a.size()) return fail(2, "usage: run [--timeout ms] [--watch] <exe> [args]");
    PROCESS_INFORMATION pi;
    if (!start_process(rest(a, i), true, &pi)) return fail(3, "CreateProcess failed (%lu)", GetLastError());
    Hook hk;
    if (watch) {
        const char* why = "";
        if (!attach_hook(&hk, pi.dwProcessId, &why)) {
            TerminateProcess(pi.hProcess, 1);
            return fail(4, "%s", why);
        }
    }
    ResumeThread(pi.hThread);
    out("pid=%lu", static_cast<unsigned long>(pi.dwProcessId));
    DWORD code = 0;
    if (!wait_exit(pi.hProcess, timeout, &code))
        return fail(5, "pid %lu still running after %lu ms", static_cast<unsigned long>(pi.dwProcessId),
                    static_cast<unsigned long>(timeout));
    if (watch) print_show(hk.shared);
    print_exit(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

int cmd_post_close(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: post-close <pid|0>");
    auto v = top_windows(parse_dword(a[2].c_str()), kFormClass, false);
    if (v.empty()) return fail(3, "no KorvFormWindow to close");
    for (HWND h : v) PostMessageW(h, WM_CLOSE, 0, 0);
    out("posted=%u", static_cast<unsigned>(v.size()));
    return 0;
}

// Posts one message several times in a row to the form window, all of them
// queued before the launcher handles the first.
int cmd_post(const std::vector<std::wstring>& a) {
    if (a.size() < 7) return fail(2, "usage: post <pid|0> <message> <wparam> <lparam> <count>");
    auto v = top_windows(parse_dword(a[2].c_str()), kFormClass, false);
    if (v.empty()) return fail(3, "no KorvFormWindow to post to");
    const UINT message = parse_dword(a[3].c_str());
    const WPARAM wparam = parse_dword(a[4].c_str());
    const LPARAM lparam = static_cast<LPARAM>(parse_dword(a[5].c_str()));
    const DWORD count = parse_dword(a[6].c_str());
    DWORD posted = 0;
    for (DWORD k = 0; k < count; ++k) posted += PostMessageW(v[0], message, wparam, lparam) ? 1 : 0;
    out("posted=%lu", static_cast<unsigned long>(posted));
    return 0;
}

int cmd_count(const std::vector<std::wstring>& a) {
    DWORD pid = a.size() > 2 ? parse_dword(a[2].c_str()) : 0;
    auto all = top_windows(pid, kFormClass, false);
    auto vis = top_windows(pid, kFormClass, true);
    out("form_windows=%u", static_cast<unsigned>(all.size()));
    out("form_windows_visible=%u", static_cast<unsigned>(vis.size()));
    for (size_t k = 0; k < all.size(); ++k) {
        DWORD owner = 0;
        GetWindowThreadProcessId(all[k], &owner);
        out("form%u=0x%08lX|%lu|%d|%lu", static_cast<unsigned>(k), hv(all[k]), static_cast<unsigned long>(owner),
            IsWindowVisible(all[k]) ? 1 : 0, x11_window(all[k]));
    }
    return 0;
}

int cmd_focus_child(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return fail(2, "usage: focus-child <pid|0> <index>");
    HWND h = form_window(parse_dword(a[2].c_str()));
    if (!h) return fail(3, "no KorvFormWindow");
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    Hook hk;
    const char* why = "";
    if (!attach_hook(&hk, pid, &why)) return fail(4, "%s", why);
    if (!hook_command(&hk, h, kCmdFocusChild, parse_dword(a[3].c_str()), 10000))
        return fail(4, "the launcher did not answer the focus command");
    out("focus_set=%ld", hk.shared->cmd_result);
    out("focus_class=%s", narrow_utf8(hk.shared->focus_class).c_str());
    out("focus_is_child=%ld", hk.shared->focus_is_child);
    return hk.shared->cmd_result == 1 ? 0 : fail(5, "SetFocus on child %ls did not take", a[3].c_str());
}

// Watches one virtual key arriving in the launcher's message loop. Prints
// ready=1 once the hook answers inside the launcher, so the driver can send
// the real key press only then; afterwards tells whether the process ended
// within the grace time.
int cmd_key_watch(const std::vector<std::wstring>& a) {
    DWORD timeout = 15000, grace = 2000;
    bool dummy = false;
    size_t i = options(a, 2, &timeout, &dummy, nullptr, &grace, L"--grace");
    if (i + 1 >= a.size()) return fail(2, "usage: key-watch [--timeout ms] [--grace ms] <pid|0> <vk>");
    HWND h = form_window(parse_dword(a[i].c_str()));
    if (!h) return fail(3, "no KorvFormWindow");
    DWORD pid = 0, tid = GetWindowThreadProcessId(h, &pid);
    (void)tid;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return fail(3, "OpenProcess(%lu) failed", static_cast<unsigned long>(pid));
    Hook hk;
    const char* why = "";
    if (!attach_hook(&hk, pid, &why)) return fail(4, "%s", why);
    InterlockedExchange(&hk.shared->watch_vk, static_cast<LONG>(parse_dword(a[i + 1].c_str())));
    const LONG hits = hk.shared->watch_hits;
    if (!hook_command(&hk, h, kCmdQuery, 0, 10000)) return fail(4, "hook not active in the launcher");
    out("ready=1");
    ULONGLONG deadline = now_ms() + timeout;
    while (hk.shared->watch_hits == hits) {
        if (now_ms() >= deadline) return fail(5, "key %ls never reached the launcher within %lu ms",
                                              a[i + 1].c_str(), static_cast<unsigned long>(timeout));
        pump_until(now_ms() + kPollMs);
    }
    out("key_msg=%s", hk.shared->watch_msg == WM_SYSKEYDOWN ? "WM_SYSKEYDOWN" : "WM_KEYDOWN");
    out("key_mods=%ld", hk.shared->watch_mods);
    out("key_to_child=%ld", hk.shared->watch_to_child);
    // A round trip through the launcher's thread: it returns only after the
    // key message has been dispatched.
    DWORD_PTR res = 0;
    SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &res);
    DWORD code = 0;
    if (wait_exit(process, grace, &code)) {
        out("exited=1");
        print_exit(code);
    } else {
        out("exited=0");
        out("window_alive=%d", IsWindow(h) ? 1 : 0);
    }
    CloseHandle(process);
    return 0;
}

int cmd_dialog_wait(const std::vector<std::wstring>& a) {
    DWORD timeout = 30000;
    bool with_icon = false;
    size_t i = options(a, 2, &timeout, &with_icon, L"--icon");
    std::wstring image;
    if (i + 1 < a.size() && a[i] == L"--image") {
        image = a[i + 1];
        i += 2;
    }
    if (i >= a.size()) return fail(2, "usage: dialog-wait [--timeout ms] [--icon] [--image NAME] <pid|0>");
    DWORD pid = parse_dword(a[i].c_str());
    ULONGLONG deadline = now_ms() + timeout;
    HWND dlg = nullptr;
    while (!dlg) {
        if (!pid && !image.empty()) pid = pid_by_image(image.c_str());
        if (pid || image.empty()) dlg = wait_top_window(pid, L"#32770", true, 0);
        if (dlg) break;
        if (now_ms() >= deadline) return fail(3, "no visible #32770 dialog within %lu ms", static_cast<unsigned long>(timeout));
        pump_until(now_ms() + kPollMs);
    }
    DWORD owner_pid = 0;
    GetWindowThreadProcessId(dlg, &owner_pid);
    out("hwnd=0x%08lX", hv(dlg));
    out("pid=%lu", static_cast<unsigned long>(owner_pid));
    out("x11_window=%lu", x11_window(dlg));
    out("title_utf8=%s", narrow_utf8(window_text(dlg)).c_str());
    out("owner=0x%08lX", hv(GetWindow(dlg, GW_OWNER)));
    out("form_windows=%u", static_cast<unsigned>(top_windows(owner_pid, kFormClass, false).size()));
    out("form_windows_visible=%u", static_cast<unsigned>(top_windows(owner_pid, kFormClass, true).size()));
    unsigned n = 0, buttons = 0;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++n) {
        std::wstring cls = class_name(c);
        if (_wcsicmp(cls.c_str(), L"Button") == 0) ++buttons;
        out("child%u=%s|%ld|0x%08lX|%s", n, narrow_utf8(cls).c_str(), static_cast<long>(GetDlgCtrlID(c)),
            static_cast<unsigned long>(GetWindowLongW(c, GWL_STYLE)), narrow_utf8(window_text(c)).c_str());
    }
    out("buttons=%u", buttons);
    if (with_icon) {
        Hook hk;
        const char* why = "";
        if (!attach_hook(&hk, owner_pid, &why)) return fail(4, "%s", why);
        if (!hook_command(&hk, dlg, kCmdDialogIcon, 0, 10000))
            return fail(4, "the dialog's thread did not answer the icon query");
        out("icon=%s", icon_name(hk.shared->dialog_icon));
    }
    return 0;
}

int cmd_wait_exit(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return fail(2, "usage: wait-exit <pid> <timeout_ms>");
    DWORD pid = parse_dword(a[2].c_str());
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) {
        // Gone already (no handle left anywhere) or never existed.
        out("exited=1");
        out("exit_code=unknown");
        return 0;
    }
    DWORD code = 0;
    if (wait_exit(process, parse_dword(a[3].c_str()), &code)) {
        out("exited=1");
        print_exit(code);
    } else {
        out("exited=0");
    }
    CloseHandle(process);
    return 0;
}

int cmd_kill(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: kill <pid>");
    DWORD pid = parse_dword(a[2].c_str());
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return fail(3, "OpenProcess(%lu) failed", static_cast<unsigned long>(pid));
    BOOL ok = TerminateProcess(process, 1);
    if (ok) WaitForSingleObject(process, 10000);
    CloseHandle(process);
    out("killed=%d", ok ? 1 : 0);
    return ok ? 0 : fail(3, "TerminateProcess failed");
}

// ---------------------------------------------------------------- buttons, tray

// The shared block of a process whose hooks another probe keeps installed
// (run --watch); opening it installs no hook, so nothing is counted twice.
struct SharedView {
    HANDLE mapping = nullptr;
    KorvProbeShared* shared = nullptr;
    ~SharedView() {
        if (shared) UnmapViewOfFile(shared);
        if (mapping) CloseHandle(mapping);
    }
    bool open(DWORD pid) {
        wchar_t name[64];
        swprintf(name, 64, KORV_PROBE_MAPPING_FMT, static_cast<unsigned long>(pid));
        mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
        if (!mapping) return false;
        shared = static_cast<KorvProbeShared*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(KorvProbeShared)));
        return shared && shared->magic == KORV_PROBE_MAGIC && shared->target_pid == static_cast<LONG>(pid);
    }
};

const KorvControlCounts* counts_of(const KorvProbeShared* s, HWND h) {
    if (!s) return nullptr;
    for (const KorvControlCounts& c : s->controls)
        if (c.hwnd == static_cast<LONG>(hv(h))) return &c;
    return nullptr;
}

void print_focus(DWORD tid, HWND form) {
    GUITHREADINFO gti;
    ZeroMemory(&gti, sizeof(gti));
    gti.cbSize = sizeof(gti);
    if (!GetGUIThreadInfo(tid, &gti)) return;
    HWND f = gti.hwndFocus;
    out("focus_hwnd=0x%08lX", hv(f));
    out("focus_class=%s", narrow_utf8(class_name(f)).c_str());
    out("focus_text=%s", narrow_utf8(window_text(f)).c_str());
    // The direct child of the form window that holds the focus (itself or an ancestor).
    HWND top = f;
    while (top && GetParent(top) && GetParent(top) != form) top = GetParent(top);
    out("focus_unit=0x%08lX", hv(top && GetParent(top) == form ? top : nullptr));
    out("active_hwnd=0x%08lX", hv(gti.hwndActive));
    out("capture_hwnd=0x%08lX", hv(gti.hwndCapture));
    out("menu_owner_hwnd=0x%08lX", hv(gti.hwndMenuOwner));
    out("in_menu_mode=%d", (gti.flags & GUI_INMENUMODE) ? 1 : 0);
}

void print_process_facts(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p) return;
    out("gui_gdi=%lu", static_cast<unsigned long>(GetGuiResources(p, GR_GDIOBJECTS)));
    out("gui_user=%lu", static_cast<unsigned long>(GetGuiResources(p, GR_USEROBJECTS)));
    PROCESS_MEMORY_COUNTERS pmc;
    ZeroMemory(&pmc, sizeof(pmc));
    pmc.cb = sizeof(pmc);
    if (GetProcessMemoryInfo(p, &pmc, sizeof(pmc))) {
        out("working_set=%lu", static_cast<unsigned long>(pmc.WorkingSetSize));
        out("page_faults=%lu", static_cast<unsigned long>(pmc.PageFaultCount));
        out("private_bytes=%lu", static_cast<unsigned long>(pmc.PagefileUsage));
    }
    CloseHandle(p);
}

// Wine answers GetProcessHandleCount with 0, so the launcher's kernel handles
// are counted by trying each handle value: a live one can be duplicated.
long count_kernel_handles(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid);
    if (!p) return -1;
    long live = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(p, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            ++live;
            CloseHandle(copy);
        }
    }
    CloseHandle(p);
    return live;
}

// What this platform lets us count of a process's objects.
int cmd_counts(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: counts <pid>");
    const DWORD pid = parse_dword(a[2].c_str());
    print_process_facts(pid);
    out("kernel_handles=%ld", count_kernel_handles(pid));
    return 0;
}

// One snapshot of the form window, its children with their counters, the
// focus, the pop-up menu and the process; no hook is installed.
int cmd_state(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: state <pid>");
    DWORD pid = parse_dword(a[2].c_str());
    out("process_alive=%d", [pid] {
        HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (!p) return 0;
        int alive = WaitForSingleObject(p, 0) == WAIT_TIMEOUT ? 1 : 0;
        CloseHandle(p);
        return alive;
    }());
    HWND h = form_window(pid);
    out("form_hwnd=0x%08lX", hv(h));
    SharedView view;
    const KorvProbeShared* s = view.open(pid) ? view.shared : nullptr;
    out("counters=%d", s ? 1 : 0);
    if (h) {
        DWORD tid = GetWindowThreadProcessId(h, nullptr);
        out("form_visible=%d", IsWindowVisible(h) ? 1 : 0);
        out("form_x11_window=%lu", x11_window(h));
        RECT r;
        GetWindowRect(h, &r);
        print_rect("form_rect", r);
        RECT client;
        GetClientRect(h, &client);
        MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&client), 2);
        print_rect("form_client", client);
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        const bool layered = (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED) && GetLayeredWindowAttributes(h, &key, &alpha, &flags);
        out("form_layered=%d", layered ? 1 : 0);
        out("form_alpha=%d", layered ? alpha : -1);
        out("form_layered_flags=%ld", layered ? static_cast<long>(flags) : -1L);
        out("foreground_is_form=%d", GetForegroundWindow() == h ? 1 : 0);
        unsigned n = 0;
        for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++n) {
            RECT cr;
            GetWindowRect(c, &cr);
            const KorvControlCounts* k = counts_of(s, c);
            out("child%u=0x%08lX|%s|%ld,%ld,%ld,%ld|%ld|%ld|%ld|%ld|0x%lX|%d|%s", n, hv(c),
                narrow_utf8(class_name(c)).c_str(), cr.left, cr.top, cr.right, cr.bottom,
                k ? k->draws : 0L, k ? k->clicks : 0L, k ? k->moves : 0L, k ? k->dblclks : 0L,
                k ? static_cast<unsigned long>(k->last_state) : 0UL, IsWindowVisible(c) ? 1 : 0,
                narrow_utf8(window_text(c)).c_str());
        }
        out("child_count=%u", n);
        print_focus(tid, h);
    }
    auto menus = top_windows(pid, L"#32768", true);
    out("menu_windows=%u", static_cast<unsigned>(menus.size()));
    if (!menus.empty()) {
        RECT mr;
        GetWindowRect(menus.front(), &mr);
        print_rect("menu_rect", mr);
    }
    if (s) {
        out("popup_opens=%ld", s->popup_opens);
        out("menu_loops=%ld,%ld", s->menu_loops_entered, s->menu_loops_left);
        out("menu_commands=%ld", s->menu_commands);
        out("last_menu_command=%ld", s->last_menu_command);
        out("popup_items=%ld", s->popup_items);
        out("popup_idle=%ld", s->popup_idle);
        const LONG* t = s->tray_callbacks;
        out("tray_callbacks=%ld,%ld,%ld,%ld,%ld,%ld,%ld,%ld", t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]);
        for (int i = 0; i < KORV_PROBE_MENU_ITEMS && i < s->popup_items; ++i) {
            const RECT& ir = s->popup_item_rects[i];
            out("popup_item%d=%ld|0x%lX|%ld,%ld,%ld,%ld|%s", i, s->popup_item_ids[i],
                static_cast<unsigned long>(s->popup_item_flags[i]), ir.left, ir.top, ir.right, ir.bottom,
                narrow_utf8(s->popup_item_text[i]).c_str());
        }
    }
    print_process_facts(pid);
    return 0;
}

LRESULT CALLBACK plain_window_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HBRUSH b = CreateSolidBrush(RGB(0, 160, 0));
        FillRect(dc, &ps.rcPaint, b);
        DeleteObject(b);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

// A window of the probe's own at a screen rectangle, kept until the probe is
// ended or the time is up: --topmost --popup covers a launcher button, a
// captioned one takes the activation away from the launcher.
int cmd_window(const std::vector<std::wstring>& a) {
    DWORD timeout = 60000;
    bool topmost = false, popup = false;
    size_t i = 2;
    for (; i < a.size() && a[i].size() > 2 && a[i][0] == L'-'; ++i) {
        if (a[i] == L"--topmost") topmost = true;
        else if (a[i] == L"--popup") popup = true;
        else if (a[i] == L"--timeout" && i + 1 < a.size()) timeout = parse_dword(a[++i].c_str());
    }
    if (i + 4 > a.size()) return fail(2, "usage: window [--topmost] [--popup] [--timeout ms] x y w h");
    int v[4];
    for (int k = 0; k < 4; ++k) v[k] = _wtoi(a[i + k].c_str());
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = plain_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KorvProbeWindow";
    RegisterClassW(&wc);
    DWORD style = popup ? WS_POPUP : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
    HWND h = CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, wc.lpszClassName, L"korv probe window", style, v[0], v[1],
                             v[2], v[3], nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return fail(3, "CreateWindowEx failed (%lu)", GetLastError());
    ShowWindow(h, popup ? SW_SHOWNOACTIVATE : SW_SHOW);
    UpdateWindow(h);
    ULONGLONG deadline = now_ms() + timeout;
    while (!x11_window(h) && now_ms() < deadline) pump_until(now_ms() + kPollMs);
    RECT r;
    GetWindowRect(h, &r);
    out("hwnd=0x%08lX", hv(h));
    out("x11_window=%lu", x11_window(h));
    print_rect("rect", r);
    out("ready=1");
    while (now_ms() < deadline) pump_until(deadline);
    DestroyWindow(h);
    return 0;
}

HWND form_or_fail(const std::vector<std::wstring>& a, DWORD* pid) {
    *pid = a.size() > 2 ? parse_dword(a[2].c_str()) : 0;
    return form_window(*pid);
}

// What a restarting shell does: the icon goes (NIM_DELETE for the form
// window's icon 100) ...
int cmd_notify_delete(const std::vector<std::wstring>& a) {
    DWORD pid = 0;
    HWND h = form_or_fail(a, &pid);
    if (!h) return fail(3, "no KorvFormWindow");
    NOTIFYICONDATAW nid;
    ZeroMemory(&nid, sizeof(nid));
    nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
    nid.hWnd = h;
    nid.uID = 100;
    out("deleted=%d", Shell_NotifyIconW(NIM_DELETE, &nid) ? 1 : 0);
    return 0;
}

// ... and then the new shell announces itself to every top-level window.
int cmd_taskbar_created(const std::vector<std::wstring>&) {
    UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
    DWORD_PTR res = 0;
    BOOL ok = SendMessageTimeoutW(HWND_BROADCAST, msg, 0, 0, SMTO_ABORTIFHUNG, 10000, &res) != 0;
    out("message=0x%X", msg);
    out("broadcast=%d", ok ? 1 : 0);
    return 0;
}

bool wait_visible(HWND h, bool visible, DWORD timeout_ms) {
    ULONGLONG deadline = now_ms() + timeout_ms;
    while ((IsWindowVisible(h) != FALSE) != visible) {
        if (now_ms() >= deadline) return false;
        pump_until(now_ms() + 5);
    }
    return true;
}

// Hide-and-restore cycles without real input: BM_CLICK on the tray button
// (the button's own click path, so BN_CLICKED and the handler run as for a
// click) and the "启动" entry's WM_COMMAND (20001), as the menu would send it.
int cmd_cycle(const std::vector<std::wstring>& a) {
    if (a.size() < 5) return fail(2, "usage: cycle <pid> <button_hwnd> <count>");
    DWORD pid = parse_dword(a[2].c_str());
    HWND button = reinterpret_cast<HWND>(static_cast<UINT_PTR>(parse_dword(a[3].c_str())));
    DWORD count = parse_dword(a[4].c_str());
    HWND h = form_window(pid);
    if (!h || !IsWindow(button)) return fail(3, "no form window or no such button");
    print_process_facts(pid);
    for (DWORD i = 0; i < count; ++i) {
        DWORD_PTR res = 0;
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &res);
        if (!wait_visible(h, false, 5000)) return fail(4, "cycle %lu: the window did not hide", static_cast<unsigned long>(i));
        SendMessageTimeoutW(h, WM_COMMAND, 20001, 0, SMTO_ABORTIFHUNG, 5000, &res);
        if (!wait_visible(h, true, 5000)) return fail(4, "cycle %lu: the window did not come back", static_cast<unsigned long>(i));
    }
    out("cycles=%lu", static_cast<unsigned long>(count));
    // Let the last paints and icon updates settle before counting again.
    DWORD_PTR res = 0;
    SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &res);
    print_process_facts(pid);
    return 0;
}

// A shell that refuses every icon: a window of the tray's class, made after
// the real one and topmost, so Shell_NotifyIcon finds it first; it answers
// the icon requests (WM_COPYDATA) with FALSE. Holds for hold_ms, or until
// its window is closed, then reports how many requests it refused.
// The count of refused requests lives in the window's user data.
LRESULT CALLBACK refusing_tray_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        SetWindowLongPtrW(h, GWLP_USERDATA, GetWindowLongPtrW(h, GWLP_USERDATA) + 1);
        return FALSE;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

int cmd_refusing_shell(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: refusing-shell <hold_ms>");
    const DWORD hold = parse_dword(a[2].c_str());
    WNDCLASSW wc = {};
    wc.lpfnWndProc = refusing_tray_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    if (!RegisterClassW(&wc)) return fail(3, "RegisterClass failed (%lu)", GetLastError());
    HWND h = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                             nullptr, wc.hInstance, nullptr);
    if (!h) return fail(3, "CreateWindow failed (%lu)", GetLastError());
    out("first_tray=%d", FindWindowW(L"Shell_TrayWnd", nullptr) == h ? 1 : 0);
    out("refusing_shell=0x%08lX", hv(h));
    // Each new count is printed at once, so a watcher sees it while this runs.
    LONG_PTR refused = 0;
    out("refused=0");
    for (ULONGLONG end = now_ms() + hold; now_ms() < end && IsWindow(h);) {
        pump_until(now_ms() + 50 < end ? now_ms() + 50 : end);
        const LONG_PTR now = IsWindow(h) ? GetWindowLongPtrW(h, GWLP_USERDATA) : refused;
        if (now != refused) out("refused=%ld", static_cast<long>(refused = now));
    }
    if (IsWindow(h)) DestroyWindow(h);
    return 0;
}

// Not a check of the launcher: shows the platform's fault that a process
// ending while several of its threads live crashes under Wine through qemu
// (exit status 139 or 0xC000001D instead of 7).
int cmd_exit_with_threads(const std::vector<std::wstring>& a) {
    if (a.size() < 3) return fail(2, "usage: exit-with-threads <count>");
    const DWORD count = parse_dword(a[2].c_str());
    struct T {
        static DWORD WINAPI sleep_forever(void*) {
            Sleep(INFINITE);
            return 0;
        }
    };
    for (DWORD i = 0; i < count; ++i) CloseHandle(CreateThread(nullptr, 0, T::sleep_forever, nullptr, 0, nullptr));
    Sleep(300);
    out("threads=%lu", static_cast<unsigned long>(count));
    return 7;
}

int cmd_list(const std::vector<std::wstring>&) {
    struct L {
        static BOOL CALLBACK each(HWND h, LPARAM) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            RECT r;
            GetWindowRect(h, &r);
            out("window=0x%08lX|%lu|%s|%d|%ld,%ld,%ld,%ld|%s", hv(h), static_cast<unsigned long>(pid),
                narrow_utf8(class_name(h)).c_str(), IsWindowVisible(h) ? 1 : 0, r.left, r.top, r.right, r.bottom,
                narrow_utf8(window_text(h)).c_str());
            return TRUE;
        }
    };
    EnumWindows(L::each, 0);
    return 0;
}

int usage() {
    fputs("usage: launcher_probe <command> ...\n"
          "  wait-window <pid|0> <timeout_ms> [--hidden-ok]\n"
          "  info <pid|0> [--no-hook]\n"
          "  first-show-check [--timeout ms] [--keep] <exe> [args]\n"
          "  mapping-create <hold_ms>\n"
          "  mapping-check [--timeout ms] [--close-early] [--read-only] [--size n] [--absent] <exe> [args]\n"
          "  run [--timeout ms] [--watch] <exe> [args]\n"
          "  post-close <pid|0>\n"
          "  post <pid|0> <message> <wparam> <lparam> <count>\n"
          "  count [pid]\n"
          "  focus-child <pid|0> <index>\n"
          "  key-watch [--timeout ms] [--grace ms] <pid|0> <vk>\n"
          "  dialog-wait [--timeout ms] [--icon] [--image NAME] <pid|0>\n"
          "  wait-exit <pid> <timeout_ms>\n"
          "  kill <pid>\n"
          "  state <pid>\n"
          "  window [--topmost] [--popup] [--timeout ms] x y w h\n"
          "  notify-delete <pid>\n"
          "  taskbar-created\n"
          "  cycle <pid> <button_hwnd> <count>\n"
          "  exit-with-threads <count>\n"
          "  counts <pid>\n"
          "  refusing-shell <hold_ms>\n"
          "  list\n",
          stderr);
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!wargv) return fail(2, "cannot parse the command line");
    std::vector<std::wstring> a(wargv, wargv + argc);
    LocalFree(wargv);
    if (a.size() < 2) return usage();
    const std::wstring& c = a[1];
    if (c == L"wait-window") return cmd_wait_window(a);
    if (c == L"info") return cmd_info(a);
    if (c == L"first-show-check") return cmd_first_show_check(a);
    if (c == L"mapping-create") return cmd_mapping_create(a);
    if (c == L"mapping-check") return cmd_mapping_check(a);
    if (c == L"run") return cmd_run(a);
    if (c == L"post-close") return cmd_post_close(a);
    if (c == L"post") return cmd_post(a);
    if (c == L"count") return cmd_count(a);
    if (c == L"focus-child") return cmd_focus_child(a);
    if (c == L"key-watch") return cmd_key_watch(a);
    if (c == L"dialog-wait") return cmd_dialog_wait(a);
    if (c == L"wait-exit") return cmd_wait_exit(a);
    if (c == L"kill") return cmd_kill(a);
    if (c == L"list") return cmd_list(a);
    if (c == L"state") return cmd_state(a);
    if (c == L"window") return cmd_window(a);
    if (c == L"notify-delete") return cmd_notify_delete(a);
    if (c == L"taskbar-created") return cmd_taskbar_created(a);
    if (c == L"cycle") return cmd_cycle(a);
    if (c == L"exit-with-threads") return cmd_exit_with_threads(a);
    if (c == L"counts") return cmd_counts(a);
    if (c == L"refusing-shell") return cmd_refusing_shell(a);
    return usage();
}
