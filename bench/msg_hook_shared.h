// Layout shared by bench_meter.exe and bench_msg_hook.dll: one named block
// per measured process ("KorvBenchMsg_<pid>") holding what the hook saw.
#pragma once

#include <windows.h>

#define KORV_BENCH_MAGIC 0x4B424D31L  // "KBM1"
#define KORV_BENCH_MAPPING_FMT L"KorvBenchMsg_%lu"
#define KORV_BENCH_HIST 32

struct KorvBenchMsgCount {
    LONG message;  // 0: free slot
    LONG count;
};

struct KorvBenchShared {
    LONG magic;
    LONG target_pid;
    LONG retrieved;  // messages the hooked thread took from its queue (PM_REMOVE)
    LONG peeked;     // looks without removing (PM_NOREMOVE)
    LONG other;      // retrieved messages that found no free histogram slot
    KorvBenchMsgCount hist[KORV_BENCH_HIST];  // retrieved, by message number
};
