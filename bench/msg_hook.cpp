// bench_msg_hook.dll: a WH_GETMESSAGE hook for one thread of the measured
// process, counting every message that thread takes from its queue. A thread
// that sleeps in GetMessage without any message has no wake-ups of its own;
// each count here is one.
#include "msg_hook_shared.h"

#include <wchar.h>

namespace {

HINSTANCE g_self = nullptr;
KorvBenchShared* g_shared = nullptr;

// The block is looked up on each call until found: the meter creates it
// before installing the hook, but the DLL outlives one meter run.
KorvBenchShared* shared() {
    if (g_shared) return g_shared;
    wchar_t name[64];
    swprintf(name, 64, KORV_BENCH_MAPPING_FMT, static_cast<unsigned long>(GetCurrentProcessId()));
    HANDLE h = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!h) return nullptr;
    auto* s = static_cast<KorvBenchShared*>(MapViewOfFile(h, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(KorvBenchShared)));
    if (!s || s->magic != KORV_BENCH_MAGIC || s->target_pid != static_cast<LONG>(GetCurrentProcessId())) {
        if (s) UnmapViewOfFile(s);
        CloseHandle(h);
        return nullptr;
    }
    g_shared = s;  // the handle stays open for the process's lifetime
    return g_shared;
}

void count(KorvBenchShared* s, UINT message) {
    InterlockedIncrement(&s->retrieved);
    for (KorvBenchMsgCount& c : s->hist) {
        if (c.message == static_cast<LONG>(message)) {
            InterlockedIncrement(&c.count);
            return;
        }
        if (c.message == 0 && InterlockedCompareExchange(&c.message, static_cast<LONG>(message), 0) == 0) {
            InterlockedIncrement(&c.count);
            return;
        }
        if (c.message == static_cast<LONG>(message)) {
            InterlockedIncrement(&c.count);
            return;
        }
    }
    InterlockedIncrement(&s->other);
}

}  // namespace

extern "C" {

__declspec(dllexport) LRESULT CALLBACK korv_bench_get_msg(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        if (KorvBenchShared* s = shared()) {
            if (wp == PM_REMOVE) count(s, reinterpret_cast<const MSG*>(lp)->message);
            else InterlockedIncrement(&s->peeked);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

__declspec(dllexport) HHOOK korv_bench_install(DWORD thread_id) {
    return SetWindowsHookExW(WH_GETMESSAGE, korv_bench_get_msg, g_self, thread_id);
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = inst;
        DisableThreadLibraryCalls(inst);
    }
    return TRUE;
}
