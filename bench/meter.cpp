// bench_meter.exe: looks at a running launcher from the Windows side for the
// benchmarks. Prints key=value lines; exits non-zero with a message on
// stderr when something cannot be done.
//
//   idle <pid> <window_ms> <windows>  CPU time and messages taken from the GUI
//                                     thread's queue, per window of idle time
//   mem <pid>                         GetProcessMemoryInfo
//   click <button_hwnd>               BM_CLICK, the button's own click path
//   command <pid> <id>                WM_COMMAND <id> to the form window
//   wait-visible <pid> <0|1> <ms>     until the form window is (in)visible
#include "msg_hook_shared.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <map>
#include <string>

namespace {

HWND g_form = nullptr;

BOOL CALLBACK find_form(HWND h, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t cls[64];
    if (pid != static_cast<DWORD>(lp) || !GetClassNameW(h, cls, 64) || wcscmp(cls, L"KorvFormWindow") != 0) return TRUE;
    g_form = h;
    return FALSE;
}

HWND form_window(DWORD pid) {
    g_form = nullptr;
    EnumWindows(find_form, static_cast<LPARAM>(pid));
    return g_form;
}

double ms_of(const FILETIME& k, const FILETIME& u) {
    ULARGE_INTEGER a, b;
    a.LowPart = k.dwLowDateTime;
    a.HighPart = k.dwHighDateTime;
    b.LowPart = u.dwLowDateTime;
    b.HighPart = u.dwHighDateTime;
    return static_cast<double>(a.QuadPart + b.QuadPart) / 10000.0;  // 100-ns units
}

double process_cpu_ms(HANDLE p) {
    FILETIME c, e, k, u;
    if (!GetProcessTimes(p, &c, &e, &k, &u)) return -1;
    return ms_of(k, u);
}

// CPU time per thread of the process (by thread id), as a second source:
// Wine answers GetThreadTimes from the host's own accounting of each thread.
std::map<DWORD, double> thread_times(DWORD pid) {
    std::map<DWORD, double> out;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return out;
    THREADENTRY32 te;
    te.dwSize = sizeof(te);
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID != pid) continue;
        HANDLE t = OpenThread(THREAD_QUERY_INFORMATION, FALSE, te.th32ThreadID);
        if (!t) continue;
        FILETIME c, e, k, u;
        if (GetThreadTimes(t, &c, &e, &k, &u)) out[te.th32ThreadID] = ms_of(k, u);
        CloseHandle(t);
    }
    CloseHandle(snap);
    return out;
}

double sum_of(const std::map<DWORD, double>& m) {
    double s = 0;
    for (const auto& kv : m) s += kv.second;
    return s;
}

// Time spent between two readings: threads born in between count whole, a
// thread that ended in between is lost (its time can no longer be read).
double spent(const std::map<DWORD, double>& a, const std::map<DWORD, double>& b) {
    double s = 0;
    for (const auto& kv : b) {
        auto it = a.find(kv.first);
        s += kv.second - (it == a.end() ? 0.0 : it->second);
    }
    return s;
}

// Waits without taking messages of its own off anyone's queue.
void pause_ms(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

std::wstring self_dir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

int cmd_idle(DWORD pid, DWORD window_ms, int windows) {
    HWND form = form_window(pid);
    if (!form) return fprintf(stderr, "no KorvFormWindow of pid %lu\n", static_cast<unsigned long>(pid)), 3;
    const DWORD tid = GetWindowThreadProcessId(form, nullptr);
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!p) return fprintf(stderr, "OpenProcess failed (%lu)\n", GetLastError()), 3;

    wchar_t name[64];
    swprintf(name, 64, KORV_BENCH_MAPPING_FMT, static_cast<unsigned long>(pid));
    HANDLE m = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(KorvBenchShared), name);
    if (!m) return fprintf(stderr, "CreateFileMapping failed\n"), 4;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    auto* s = static_cast<KorvBenchShared*>(MapViewOfFile(m, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(KorvBenchShared)));
    if (!s) return fprintf(stderr, "MapViewOfFile failed\n"), 4;
    if (!existed) {
        ZeroMemory(s, sizeof(*s));
        s->target_pid = static_cast<LONG>(pid);
        InterlockedExchange(&s->magic, KORV_BENCH_MAGIC);
    }
    HMODULE dll = LoadLibraryW((self_dir() + L"bench_msg_hook.dll").c_str());
    typedef HHOOK(__cdecl * InstallFn)(DWORD);
    auto install = dll ? reinterpret_cast<InstallFn>(reinterpret_cast<void*>(GetProcAddress(dll, "korv_bench_install")))
                       : nullptr;
    HHOOK hook = install ? install(tid) : nullptr;
    printf("hook=%d\n", hook ? 1 : 0);
    printf("visible=%d\n", IsWindowVisible(form) ? 1 : 0);
    printf("cpu_since_start_ms=%.1f\n", process_cpu_ms(p));
    auto th = thread_times(pid);
    printf("cpu_threads_since_start_ms=%.1f\n", sum_of(th));
    printf("threads=%u\n", static_cast<unsigned>(th.size()));
    fflush(stdout);

    // Wine 8 may answer GetProcessTimes for another process with the
    // caller's own times; reading ours right beside it tells them apart.
    bool same_as_self = true;
    auto target_and_self = [&](double* self) {
        const double t = process_cpu_ms(p);
        *self = process_cpu_ms(GetCurrentProcess());
        if (t != *self) same_as_self = false;
        return t;
    };
    for (int w = 0; w < windows; ++w) {
        printf("window_start=%d\n", w);
        fflush(stdout);
        KorvBenchShared before = *s;
        double s0 = 0, s1 = 0;
        const double p0 = target_and_self(&s0);
        const auto t0 = thread_times(pid);
        pause_ms(window_ms);
        const double p1 = target_and_self(&s1);
        th = thread_times(pid);
        KorvBenchShared after = *s;
        // Which messages woke the thread, by number, as msg:count pairs.
        std::string which;
        for (int i = 0; i < KORV_BENCH_HIST; ++i) {
            if (!after.hist[i].message) break;
            const LONG d = after.hist[i].count - (before.hist[i].message ? before.hist[i].count : 0);
            if (d <= 0) continue;
            char buf[32];
            snprintf(buf, sizeof(buf), "%s0x%lX:%ld", which.empty() ? "" : ",",
                     static_cast<unsigned long>(after.hist[i].message), static_cast<long>(d));
            which += buf;
        }
        printf("idle=%d|%.3f|%.3f|%ld|%ld|%s\n", w, p1 - p0, spent(t0, th), static_cast<long>(after.retrieved - before.retrieved),
               static_cast<long>(after.peeked - before.peeked), which.empty() ? "-" : which.c_str());
        fflush(stdout);
    }
    printf("process_times_are_callers=%d\n", same_as_self ? 1 : 0);
    printf("threads_at_end=%u\n", static_cast<unsigned>(th.size()));
    if (hook) UnhookWindowsHookEx(hook);
    UnmapViewOfFile(s);
    CloseHandle(m);
    CloseHandle(p);
    return 0;
}

int cmd_mem(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p) return fprintf(stderr, "OpenProcess failed (%lu)\n", GetLastError()), 3;
    PROCESS_MEMORY_COUNTERS_EX pmc;
    ZeroMemory(&pmc, sizeof(pmc));
    pmc.cb = sizeof(pmc);
    if (!GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc)))
        return fprintf(stderr, "GetProcessMemoryInfo failed (%lu)\n", GetLastError()), 4;
    printf("working_set=%lu\n", static_cast<unsigned long>(pmc.WorkingSetSize));
    printf("peak_working_set=%lu\n", static_cast<unsigned long>(pmc.PeakWorkingSetSize));
    printf("private_bytes=%lu\n", static_cast<unsigned long>(pmc.PrivateUsage));
    printf("pagefile=%lu\n", static_cast<unsigned long>(pmc.PagefileUsage));
    printf("page_faults=%lu\n", static_cast<unsigned long>(pmc.PageFaultCount));
    CloseHandle(p);
    return 0;
}

HWND hwnd_arg(const wchar_t* s) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoul(s, nullptr, 0))); }

int cmd_click(HWND button) {
    if (!IsWindow(button)) return fprintf(stderr, "no such window\n"), 3;
    DWORD_PTR res = 0;
    const BOOL ok = SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &res) != 0;
    printf("clicked=%d\n", ok ? 1 : 0);
    return ok ? 0 : 4;
}

int cmd_command(DWORD pid, WPARAM id) {
    HWND form = form_window(pid);
    if (!form) return fprintf(stderr, "no KorvFormWindow\n"), 3;
    DWORD_PTR res = 0;
    const BOOL ok = SendMessageTimeoutW(form, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, &res) != 0;
    printf("sent=%d\n", ok ? 1 : 0);
    return ok ? 0 : 4;
}

int cmd_wait_visible(DWORD pid, bool visible, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        HWND form = form_window(pid);
        if (form && (IsWindowVisible(form) != FALSE) == visible) {
            printf("visible=%d\n", visible ? 1 : 0);
            return 0;
        }
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return fprintf(stderr, "timed out\n"), 5;
        pause_ms(10);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring c = argc > 1 ? argv[1] : L"";
    if (c == L"idle" && argc >= 5) return cmd_idle(wcstoul(argv[2], nullptr, 0), wcstoul(argv[3], nullptr, 0), _wtoi(argv[4]));
    if (c == L"mem" && argc >= 3) return cmd_mem(wcstoul(argv[2], nullptr, 0));
    if (c == L"click" && argc >= 3) return cmd_click(hwnd_arg(argv[2]));
    if (c == L"command" && argc >= 4) return cmd_command(wcstoul(argv[2], nullptr, 0), wcstoul(argv[3], nullptr, 0));
    if (c == L"wait-visible" && argc >= 5)
        return cmd_wait_visible(wcstoul(argv[2], nullptr, 0), _wtoi(argv[3]) != 0, wcstoul(argv[4], nullptr, 0));
    fputs("usage: bench_meter idle <pid> <window_ms> <windows> | mem <pid> | click <hwnd> | command <pid> <id> | "
          "wait-visible <pid> <0|1> <ms>\n",
          stderr);
    return 2;
}
