// bench_startup_timer.exe: time from CreateProcess to the first visible
// top-level window of the new process, for several programs in turn.
//
//   bench_startup_timer <runs> <warmup> <exe> [<exe> ...]
//
// The programs are started round-robin (a, b, c, a, b, c, ...) so that a
// change of machine load falls on all of them alike. Each run prints
//   run=<index>|<program index>|<ms>|<class of the window>|<winevent seen>
// warm-up runs print warmup= instead of run=. Every process is ended with
// TerminateProcess once its window shows, the same way for all, so that no
// program's own shutdown path spills into the next run.
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

// A start that shows nothing in this time counts as a failed run.
const DWORD kGiveUpMs = 20000;

struct Seen {
    DWORD pid = 0;
    HWND hwnd = nullptr;
};

BOOL CALLBACK find_visible(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Seen*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != s->pid || !IsWindowVisible(h) || GetParent(h)) return TRUE;
    s->hwnd = h;
    return FALSE;
}

// Out-of-context WinEvents are delivered to this thread while it pumps; under
// Wine they may never come across processes, so polling decides and the event
// only records whether it arrived first.
DWORD g_event_pid = 0;
LONGLONG g_event_at = 0;

void CALLBACK on_show(HWINEVENTHOOK, DWORD, HWND h, LONG obj, LONG, DWORD, DWORD) {
    if (obj != OBJID_WINDOW || !h || g_event_at || GetParent(h)) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != g_event_pid) return;
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    g_event_at = t.QuadPart;
}

std::wstring quote(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) return a;
    return L"\"" + a + L"\"";
}

// One start: returns milliseconds to the first visible top-level window, or
// -1 when nothing showed in time, -2 when the process ended first (its exit
// code in *ended_code).
double time_one(const std::wstring& exe, std::wstring* cls, bool* event_first, DWORD* ended_code) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    std::wstring cmd = quote(exe);
    std::vector<wchar_t> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    g_event_at = 0;
    g_event_pid = 0;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessW(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fwprintf(stderr, L"CreateProcess %ls failed (%lu)\n", exe.c_str(), GetLastError());
        return -1;
    }
    g_event_pid = pi.dwProcessId;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, on_show, pi.dwProcessId, 0,
                                         WINEVENT_OUTOFCONTEXT);
    Seen s;
    s.pid = pi.dwProcessId;
    double ms = -1;
    const DWORD deadline = GetTickCount() + kGiveUpMs;
    for (;;) {
        EnumWindows(find_visible, reinterpret_cast<LPARAM>(&s));
        if (s.hwnd || g_event_at) {
            QueryPerformanceCounter(&t1);
            LONGLONG at = t1.QuadPart;
            *event_first = g_event_at != 0 && g_event_at < at;
            if (*event_first) at = g_event_at;
            ms = 1000.0 * static_cast<double>(at - t0.QuadPart) / static_cast<double>(freq.QuadPart);
            break;
        }
        if (GetTickCount() > deadline) break;
        // A 1 ms wait keeps the poll from taking a core away from the program
        // being timed (two cores here), while still pumping the WinEvents.
        if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 1, QS_ALLINPUT) == WAIT_OBJECT_0) {
            GetExitCodeProcess(pi.hProcess, ended_code);
            ms = -2;
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    if (hook) UnhookWinEvent(hook);
    wchar_t name[128] = L"";
    if (s.hwnd) GetClassNameW(s.hwnd, name, 128);
    *cls = name;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        fputs("usage: bench_startup_timer <runs> <warmup> <exe> [<exe> ...]\n", stderr);
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    const int warmup = _wtoi(argv[2]);
    std::vector<std::wstring> exes(argv + 3, argv + argc);
    int failures = 0;
    std::vector<int> good(exes.size(), 0);
    auto one = [&](const char* tag, int r, size_t p) {
        std::wstring cls;
        bool event_first = false;
        DWORD code = 0;
        const double ms = time_one(exes[p], &cls, &event_first, &code);
        if (ms < 0) ++failures;
        else if (r >= warmup) ++good[p];
        // Class names are ASCII here; printed narrow for the driver.
        std::string c;
        for (wchar_t ch : cls) c += ch < 128 ? static_cast<char>(ch) : '?';
        printf("%s=%d|%u|%.2f|%s|%d|%lu\n", tag, r, static_cast<unsigned>(p), ms, c.c_str(), event_first ? 1 : 0,
               static_cast<unsigned long>(code));
        fflush(stdout);
        // Let the ended process's windows and server state go before the next.
        Sleep(200);
    };
    for (int r = 0; r < warmup + runs; ++r)
        for (size_t p = 0; p < exes.size(); ++p) one(r < warmup ? "warmup" : "run", r, p);
    // A failed start is reported, and made up for with a few more, so that
    // each median still rests on <runs> values.
    for (size_t p = 0; p < exes.size(); ++p)
        for (int extra = 0; good[p] < runs && extra < 5; ++extra) one("run", warmup + runs + extra, p);
    printf("failures=%d\n", failures);
    return failures ? 1 : 0;
}
