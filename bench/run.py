#!/usr/bin/env python3
"""Benchmarks of the launcher under Wine in Xvfb; prints one table.

  bench/run.sh [runs]            (runs per figure, 15 by default)
  python3 bench/run.py [--runs N] [--idle-seconds S] [--work DIR] [--no-build]

These print figures; nothing passes or fails. Everything runs in a Wine
prefix and on an Xvfb screen of their own (display 150 or the next free one),
made with tests/e2e/harness.py and torn down at the end:

  start-up   bench_startup_timer.exe: CreateProcess to the first visible
             top-level window, round-robin over the reference window (the
             floor), the launcher and Wine's iexplore (the peer), after
             warm-up runs; median of N
  size       the .exe in bytes, its imports (objdump -p), each looked up in
             the fresh prefix's system folder
  idle       bench_meter.exe idle: CPU time per thread (GetThreadTimes) and
             messages the GUI thread takes from its queue (a WH_GETMESSAGE
             hook, bench_msg_hook.dll) per window of idle time, shown and
             hidden to the tray; beside it the host's /proc figure for the
             whole emulated process
  repaints   WM_DRAWITEM per button from the probe's hook (run --watch), for
             real xdotool pointer entries and moves inside a button
  memory     GetProcessMemoryInfo around real clicks on 内存优化
"""

import argparse
import datetime
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness  # noqa: E402
from harness import HarnessError, log, win_path  # noqa: E402

BUILD = os.path.join(ROOT, "build", "mingw-release")
LAUNCHER = os.path.join(BUILD, "Launcher.exe")
PROBE = os.path.join(BUILD, "tests", "e2e", "probe-bin", "Release", "launcher_probe.exe")
BIN = os.path.join(BUILD, "bench", "bin", "Release")
ICON = os.path.join(ROOT, "resources", "launcher.ico")
IEXPLORE32 = r"C:\Program Files (x86)\Internet Explorer\iexplore.exe"
IEXPLORE64 = r"C:\Program Files\Internet Explorer\iexplore.exe"
TRAY_CAPTION, TRIM_CAPTION, HOVER_CAPTION = "托盘挂机", "内存优化", "刷新游戏"
RESTORE_ID = 20001   # the tray menu's "启动"
NOT_REPORTED = "not reported by Wine"
# Long enough for a repaint that is coming to arrive (as in the e2e tests).
GRACE = 0.8


# ------------------------------------------------------------------ build

def build(no_build):
    targets = ["bench"]
    for path, target in ((LAUNCHER, "Launcher"), (PROBE, "launcher_probe")):
        if not os.path.exists(path):
            targets.append(target)
    if no_build:
        return
    for attempt in range(4):
        r = subprocess.run(["cmake", "--build", "--preset", "mingw-release", "--target"] + targets,
                           cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if r.returncode == 0:
            return
        # The tree is shared; another change may be half made. Try again a bit later.
        log("build failed (attempt %d):\n%s" % (attempt + 1, r.stdout.decode(errors="replace")[-2000:]))
        time.sleep(20)
    if not all(os.path.exists(p) for p in (LAUNCHER, PROBE, os.path.join(BIN, "bench_meter.exe"))):
        raise HarnessError("the build failed and the programs are missing")
    log("build failed; measuring the programs built before")


# ------------------------------------------------------------------ machine

def cpu_times():
    with open("/proc/stat") as f:
        v = [int(x) for x in f.readline().split()[1:]]
    idle = v[3] + v[4]
    return sum(v), idle


def machine_facts():
    model = ""
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem = int(f.readline().split()[1]) // 1024
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode().strip()
    return {"cpu": model, "cores": os.cpu_count(), "mem_mib": mem, "kernel": platform.release(), "wine": wine,
            "wine32": harness.wine32_mode()}


def others_running(own_prefix, own_xvfb):
    """Xvfb servers and Wine processes on this machine that are not ours."""
    xvfb = wine = 0
    for d in os.listdir("/proc"):
        if not d.isdigit() or int(d) == own_xvfb:
            continue
        try:
            with open("/proc/%s/cmdline" % d, "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
            with open("/proc/%s/environ" % d, "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if cmd.startswith("Xvfb") or "/Xvfb " in cmd:
            xvfb += 1
        elif ("WINEPREFIX=" + own_prefix).encode() not in environ and (
                "wine" in cmd or cmd.endswith(".exe ") or ".exe " in cmd):
            wine += 1
    return xvfb, wine


# ------------------------------------------------------------------ helpers

def median(v):
    return statistics.median(v) if v else None


def unix_pid(env, image):
    """The host process of a Wine process of our prefix, by image name."""
    want = ("WINEPREFIX=" + env.prefix).encode()
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % d, "rb") as f:
                cmd = f.read().replace(b"\0", b" ")
            with open("/proc/%s/environ" % d, "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if want in environ and image.encode() in cmd and b"launcher_probe" not in cmd:
            return int(d)
    return None


def host_cpu_ms(upid):
    """utime + stime of a host process (all its threads), in ms."""
    with open("/proc/%d/stat" % upid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    tick = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) * 1000.0 / tick


def host_rss(upid):
    with open("/proc/%d/status" % upid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) * 1024
    return None


class Bench:
    def __init__(self, env, args):
        self.env = env
        self.args = args
        self.meter = win_path(os.path.join(BIN, "bench_meter.exe"))
        self.bg = []

    def meter_run(self, args, timeout=60):
        bg = self.env.wine_bg(self.meter, args, "meter-" + args[0])
        rc = bg.wait(timeout)
        if rc != 0:
            raise HarnessError("bench_meter %s failed (%d): %s" % (" ".join(args), rc, bg.stderr().strip()))
        return bg.values()

    def start_launcher(self, watch):
        sup = self.env.probe_bg(["run", "--timeout", "3600000"] + (["--watch"] if watch else []) + [win_path(LAUNCHER)])
        self.bg.append(sup)
        sup.pid = int(sup.wait_key("pid", 60)["pid"])
        self.env.probe(["wait-window", str(sup.pid), "60000"], timeout=90)
        return sup

    def stop_launcher(self, sup):
        if sup.running():
            self.env.probe(["kill", str(sup.pid)], timeout=60, check=False)
            try:
                sup.wait(30)
            except HarnessError:
                sup.stop()

    def state(self, pid):
        s = self.env.probe(["state", str(pid)])
        return s, harness.controls(s)

    def park(self, state):
        """A point on the desktop below the launcher, away from every button."""
        left, top, right, bottom = harness.rect_of(state["form_rect"])
        return (left + right) // 2, min(bottom + 60, 1070)

    # ---- start-up

    def startup(self):
        programs = [("reference window (floor)", win_path(os.path.join(BIN, "bench_reference_window.exe"))),
                    ("Launcher.exe", win_path(LAUNCHER)),
                    ("iexplore.exe, 32-bit (peer)", IEXPLORE32),
                    ("iexplore.exe, 64-bit", IEXPLORE64)]
        present = []
        for name, path in programs:
            if path.startswith("C:"):
                unix = os.path.join(self.env.prefix, "drive_c", path[3:].replace("\\", "/"))
                if not os.path.exists(unix):
                    log("%s is not in the prefix; left out" % path)
                    continue
            present.append((name, path))
        warmup = 2
        timer = win_path(os.path.join(BIN, "bench_startup_timer.exe"))
        bg = self.env.wine_bg(timer, [str(self.args.runs), str(warmup)] + [p for _, p in present], "startup")
        rc = bg.wait(60 + 90 * (self.args.runs + warmup) * len(present))
        runs = {i: [] for i in range(len(present))}
        classes = {i: set() for i in range(len(present))}
        events = 0
        failures = {i: [] for i in range(len(present))}
        for line in bg.text().splitlines():
            if line.startswith("run=") or line.startswith("warmup="):
                _, prog, ms, cls, ev, code = line.split("=", 1)[1].strip().split("|")
                ms = float(ms)
                if ms < 0:
                    failures[int(prog)].append("ended with exit code 0x%X" % int(code) if ms == -2
                                               else "no window within 20 s")
                    continue
                if line.startswith("warmup="):
                    continue
                runs[int(prog)].append(ms)
                classes[int(prog)].add(cls)
                events += int(ev)
        if rc not in (0, 1):
            raise HarnessError("startup timer failed (%d): %s" % (rc, bg.stderr()))
        out = []
        for i, (name, _) in enumerate(present):
            v = runs[i]
            out.append({"name": name, "runs": len(v), "median_ms": median(v), "min_ms": min(v) if v else None,
                        "max_ms": max(v) if v else None, "window_class": sorted(classes[i]), "failures": failures[i]})
        return {"programs": out, "warmup": warmup, "winevent_first": events}

    # ---- idle

    def idle_windows(self, pid, upid, windows):
        """Runs bench_meter idle; reads the host's figure at each window's edges."""
        ms = int(self.args.idle_seconds * 1000)
        bg = self.env.wine_bg(self.meter, ["idle", str(pid), str(ms), str(windows)], "meter-idle")
        self.bg.append(bg)
        host = {}
        seen = set()
        deadline = time.monotonic() + 120 + windows * (self.args.idle_seconds + 5)
        while True:
            text = bg.text()
            for m in re.finditer(r"^(window_start|idle)=(\d+)", text, re.M):
                key = (m.group(1), int(m.group(2)))
                if key not in seen:
                    seen.add(key)
                    host[key] = host_cpu_ms(upid) if upid else None
            if not bg.running():
                break
            if time.monotonic() > deadline:
                bg.stop()
                raise HarnessError("bench_meter idle did not finish")
            time.sleep(0.02)
        if bg.proc.returncode != 0:
            raise HarnessError("bench_meter idle failed: %s" % bg.stderr())
        values = bg.values()
        rows = []
        for line in bg.text().splitlines():
            if not line.startswith("idle="):
                continue
            w, proc_ms, thread_ms, got, peeked, which = line[5:].strip().split("|")
            w = int(w)
            h0, h1 = host.get(("window_start", w)), host.get(("idle", w))
            rows.append({"process_times_ms": float(proc_ms), "thread_times_ms": float(thread_ms),
                         "messages": int(got), "peeks": int(peeked), "which": which,
                         "host_ms": (h1 - h0) if h0 is not None and h1 is not None else None})
        return {"hook": values.get("hook") == "1", "process_times_are_callers": values.get("process_times_are_callers") == "1",
                "threads": values.get("threads"), "rows": rows}

    def idle(self):
        sup = self.start_launcher(watch=False)
        try:
            state, ctl = self.state(sup.pid)
            # The pointer rests on the desktop below the window for the
            # whole time, so no input reaches the launcher.
            self.env.x_move(*self.park(state))
            upid = unix_pid(self.env, "Launcher.exe")
            # Start-up work (the browser control's first request) is over by then.
            time.sleep(self.args.settle)
            shown = self.idle_windows(sup.pid, upid, self.args.idle_windows)
            self.meter_run(["click", "0x%X" % ctl[TRAY_CAPTION].hwnd])
            self.meter_run(["wait-visible", str(sup.pid), "0", "10000"])
            time.sleep(3)
            hidden = self.idle_windows(sup.pid, upid, self.args.idle_windows)
            self.meter_run(["command", str(sup.pid), str(RESTORE_ID)])
            self.meter_run(["wait-visible", str(sup.pid), "1", "10000"])
        finally:
            self.stop_launcher(sup)
        return {"shown": shown, "hidden": hidden, "host_pid_found": upid is not None}

    # ---- repaints and memory (one launcher under the probe's hooks)

    def wait_state(self, pid, pred, timeout, what):
        got = {}

        def ok():
            got["s"], got["c"] = self.state(pid)
            return pred(got["c"])
        harness.wait_until(ok, timeout, what, interval=0.1)
        return got["s"], got["c"]

    def repaints_and_memory(self):
        sup = self.start_launcher(watch=True)
        env = self.env
        try:
            state, ctl = self.state(sup.pid)
            park = self.park(state)
            env.x_move(*park)
            state, ctl = self.wait_state(sup.pid, lambda c: all(c[k].draws >= 1 for k in (HOVER_CAPTION, TRIM_CAPTION)),
                                         20, "the first paint of the buttons")
            time.sleep(GRACE)
            b = ctl[HOVER_CAPTION]
            l, t, r, bt = b.rect
            entries, leaves, moves_runs = [], [], []
            for _ in range(self.args.runs):
                # One entry from the desktop into the button.
                _, c = self.state(sup.pid)
                d0, m0 = c[HOVER_CAPTION].draws, c[HOVER_CAPTION].moves
                env.x_move(*b.centre())
                self.wait_state(sup.pid, lambda c: c[HOVER_CAPTION].moves > m0, 10, "a move reaching the button")
                time.sleep(GRACE)
                _, c = self.state(sup.pid)
                d1, m1 = c[HOVER_CAPTION].draws, c[HOVER_CAPTION].moves
                entries.append(d1 - d0)
                # 100 moves inside, each to a point other than the last; one
                # xdotool call, each move waiting until the pointer is there.
                pts = []
                last = b.centre()
                i = 0
                while len(pts) < 100:
                    p = (l + 2 + (i * 7) % (r - l - 4), t + 2 + (i * 5) % (bt - t - 4))
                    i += 1
                    if p != last:
                        pts.append(p)
                        last = p
                # A short pause between moves lets each reach the launcher on
                # its own rather than merged with the next one in its queue.
                cmd = []
                for x, y in pts:
                    cmd += ["mousemove", "--sync", x, y, "sleep", "0.02"]
                env.xdotool(*cmd, timeout=120)
                # Wine merges moves still waiting in the queue, so fewer than
                # 100 may arrive; wait until the count stops growing.
                prev, stable = -1, 0
                deadline = time.monotonic() + 15
                while stable < 3 and time.monotonic() < deadline:
                    _, c = self.state(sup.pid)
                    now = c[HOVER_CAPTION].moves
                    stable = stable + 1 if now == prev else 0
                    prev = now
                    if now - m1 >= 100:
                        break
                time.sleep(GRACE)
                _, c = self.state(sup.pid)
                d2, m2 = c[HOVER_CAPTION].draws, c[HOVER_CAPTION].moves
                moves_runs.append({"draws": d2 - d1, "moves": m2 - m1, "issued": len(pts)})
                # Back out to the desktop: the repaint on leaving, for the record.
                env.x_move(*park)
                time.sleep(GRACE)
                _, c = self.state(sup.pid)
                leaves.append(c[HOVER_CAPTION].draws - d2)

            # Memory: real clicks on 内存优化, working set read before and after each.
            upid = unix_pid(env, "Launcher.exe")
            mem = []
            trim = ctl[TRIM_CAPTION]
            for _ in range(self.args.runs):
                env.x_move(*park)
                time.sleep(GRACE)
                before = self.meter_run(["mem", str(sup.pid)])
                rss0 = host_rss(upid) if upid else None
                _, c = self.state(sup.pid)
                k0 = c[TRIM_CAPTION].clicks
                env.x_click(*trim.centre())
                self.wait_state(sup.pid, lambda c: c[TRIM_CAPTION].clicks > k0, 10, "BN_CLICKED of 内存优化")
                time.sleep(GRACE)
                after = self.meter_run(["mem", str(sup.pid)])
                rss1 = host_rss(upid) if upid else None
                mem.append({"before": int(before["working_set"]), "after": int(after["working_set"]),
                            "private_before": int(before["private_bytes"]), "private_after": int(after["private_bytes"]),
                            "rss_before": rss0, "rss_after": rss1})
        finally:
            self.stop_launcher(sup)
        return {"entries": entries, "leaves": leaves, "moves": moves_runs, "memory": mem}

    def cleanup(self):
        for bg in self.bg:
            bg.stop()


# ------------------------------------------------------------------ size

def size_facts(env):
    r = subprocess.run(["i686-w64-mingw32-objdump", "-p", LAUNCHER], stdout=subprocess.PIPE, check=True)
    dlls = re.findall(r"DLL Name:\s*(\S+)", r.stdout.decode(errors="replace"))
    syswow = os.path.join(env.prefix, "drive_c", "windows", "syswow64")
    listing = {n.lower() for n in os.listdir(syswow)} if os.path.isdir(syswow) else set()
    return {"exe_bytes": os.path.getsize(LAUNCHER), "icon_bytes": os.path.getsize(ICON),
            "dlls": [(d, d.lower() in listing) for d in dlls]}


# ------------------------------------------------------------------ table

def fmt_ms(v):
    return "%8.1f ms" % v if v is not None else "       n/a"


def fmt_bytes(n):
    return "%s bytes (%.1f MiB)" % (format(n, ","), n / 1048576.0)


def table(res):
    a = res["args"]
    m = res["machine"]
    out = []
    w = out.append
    w("Korvessa launcher benchmarks, %s" % res["when"])
    w("Machine: %s, %d cores, %d MiB, Linux %s; %s, 32-bit programs %s" % (
        m["cpu"], m["cores"], m["mem_mib"], m["kernel"], m["wine"],
        "through qemu-i386 user emulation" if m["wine32"] == "qemu" else "native"))
    ld = res["load"]
    w("Load: loadavg %s at start, %s at end; host CPU busy %.0f%% of %d cores over the run (all processes, ours "
      "included); other Xvfb servers running: %d, other Wine processes: %d" % (
          ld["start"], ld["end"], ld["busy_pct"], m["cores"], ld["other_xvfb"], ld["other_wine"]))
    w("Runs: %d per figure (median; min..max), screen %s, WINEDLLOVERRIDES=mscoree,mshtml=" % (a["runs"], a["screen"]))
    w("")

    s = res["startup"]
    w("1. Start-up: CreateProcess to its first visible top-level window (bench_startup_timer.exe, "
      "QueryPerformanceCounter, %d warm-up rounds, round-robin)" % s["warmup"])
    by = {p["name"]: p for p in s["programs"]}
    for p in s["programs"]:
        rng = "%.0f..%.0f" % (p["min_ms"], p["max_ms"]) if p["runs"] else "-"
        w("   %-30s %s   (%s; n=%d; window %s%s)" % (
            p["name"], fmt_ms(p["median_ms"]), rng, p["runs"], ",".join(p["window_class"]) or "-",
            "; %d failed start(s), not counted: %s" % (len(p["failures"]), ", ".join(p["failures"]))
            if p["failures"] else ""))
    launcher = by.get("Launcher.exe", {}).get("median_ms")
    floor = by.get("reference window (floor)", {}).get("median_ms")
    peer = by.get("iexplore.exe, 32-bit (peer)", {}).get("median_ms")
    peer64 = by.get("iexplore.exe, 64-bit", {}).get("median_ms")
    if launcher and floor:
        w("   launcher / floor               %8.2f" % (launcher / floor))
    if launcher and peer:
        w("   launcher / peer                %8.2f   (peer: the 32-bit iexplore, emulated like the launcher)" % (launcher / peer))
    if launcher and peer64:
        w("   launcher / iexplore 64-bit     %8.2f   (runs natively here, without qemu: not like for like)" % (launcher / peer64))
    w("   EVENT_OBJECT_SHOW (out of context) arrived before polling saw the window in %d runs" % s["winevent_first"])
    w("")

    z = res["size"]
    w("2. Size")
    w("   Launcher.exe                   %s, of which the icon file resources/launcher.ico is %s" % (
        fmt_bytes(z["exe_bytes"]), format(z["icon_bytes"], ",")))
    w("   imports                        %s" % ", ".join(d for d, _ in z["dlls"]))
    missing = [d for d, ok in z["dlls"] if not ok]
    w("   all in the system folder       %s" % ("yes (each is in a fresh prefix's C:\\windows\\syswow64)" if not missing
                                               else "no: " + ", ".join(missing)))
    w("   other run-time files           none (C++ runtime linked statically)")
    w("")

    i = res["idle"]
    w("3. Idle, %g s windows (median over %d windows), pointer resting on the desktop" % (a["idle_seconds"], a["idle_windows"]))
    for tag in ("shown", "hidden"):
        d = i[tag]
        rows = d["rows"]
        label = "shown" if tag == "shown" else "hidden to the tray"
        if d["process_times_are_callers"]:
            proc = NOT_REPORTED + " (GetProcessTimes on another process returns the caller's own times)"
        else:
            proc = "%.1f ms" % median([r["process_times_ms"] for r in rows])
        thr = median([r["thread_times_ms"] for r in rows])
        host = [r["host_ms"] for r in rows if r["host_ms"] is not None]
        msgs = [r["messages"] for r in rows]
        which = sorted({r["which"] for r in rows if r["which"] != "-"})
        w("   %s:" % label)
        w("     GetProcessTimes, kernel+user   %s" % proc)
        w("     GetThreadTimes over threads    %.1f ms (max %.1f; threads: %s)" % (
            thr, max(r["thread_times_ms"] for r in rows), d["threads"]))
        w("     host /proc utime+stime         %s (whole emulated process, 10 ms ticks)" % (
            ("%.1f ms (max %.1f)" % (median(host), max(host))) if host else "n/a"))
        w("     messages its GUI thread took   %s (max %d; total %d over %d windows)%s" % (
            "%g" % median(msgs), max(msgs), sum(msgs), len(msgs),
            ("; which: " + " ".join(which)) if which else "") if d["hook"] else
          "     messages its GUI thread took   hook not installed")
    w("")

    r = res["repaints"]
    w("4. Repaints of the %s button (WM_DRAWITEM from the probe's hook), real xdotool input" % HOVER_CAPTION)
    w("   per pointer entry              %g (median; min %d, max %d; n=%d)" % (
        median(r["entries"]), min(r["entries"]), max(r["entries"]), len(r["entries"])))
    per100 = [100.0 * x["draws"] / x["issued"] for x in r["moves"]]
    got = [x["moves"] for x in r["moves"]]
    w("   per 100 moves inside           %g (median; max %g; n=%d); WM_MOUSEMOVE reaching the button per 100 "
      "issued: median %g (min %d, max %d)" % (median(per100), max(per100), len(per100), median(got), min(got), max(got)))
    w("   per pointer exit               %g (median; for the record)" % median(r["leaves"]))
    w("")

    mem = r["memory"]
    w("5. Memory: working set (GetProcessMemoryInfo) around a real click on %s, %d clicks" % (TRIM_CAPTION, len(mem)))
    b = median([x["before"] for x in mem])
    af = median([x["after"] for x in mem])
    w("   before                         %s" % fmt_bytes(int(b)))
    w("   after                          %s" % fmt_bytes(int(af)))
    changed = sum(1 for x in mem if x["after"] != x["before"])
    if changed == 0:
        w("   Wine reports no change: the working set is the same before and after every click")
    else:
        w("   changed in %d of %d clicks; median change %+d bytes" % (
            changed, len(mem), int(median([x["after"] - x["before"] for x in mem]))))
    rss = [x for x in mem if x["rss_before"] is not None]
    if rss and all(x["before"] == x["rss_before"] and x["after"] == x["rss_after"] for x in rss):
        w("   the working set Wine reports is the host's VmRSS of the emulated process in every reading")
    elif rss:
        w("   host VmRSS                     %s before, %s after (median)" % (
            fmt_bytes(int(median([x["rss_before"] for x in rss]))), fmt_bytes(int(median([x["rss_after"] for x in rss])))))
    if all(x["private_before"] == 0 for x in mem):
        w("   private bytes                  %s" % NOT_REPORTED)
    return "\n".join(out)


# ------------------------------------------------------------------ main

def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--runs", type=int, default=15, help="runs per figure (at least 15 for the medians)")
    ap.add_argument("--idle-seconds", type=float, default=10.0, help="length of one idle window")
    ap.add_argument("--idle-windows", type=int, default=None, help="idle windows per state (default: --runs)")
    ap.add_argument("--settle", type=float, default=5.0, help="seconds after start-up before the idle windows")
    ap.add_argument("--work", default="/tmp/bench-work/run", help="folder for the prefix, logs and results")
    ap.add_argument("--first-display", type=int, default=150)
    ap.add_argument("--screen", default=harness.DEFAULT_SCREEN)
    ap.add_argument("--no-build", action="store_true")
    args = ap.parse_args()
    if args.idle_windows is None:
        args.idle_windows = args.runs
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(3))

    build(args.no_build)
    os.makedirs(args.work, exist_ok=True)
    env = harness.WineEnv(os.path.join(os.path.abspath(args.work), "env"), args.screen, "zh_CN.UTF-8", "bench")
    if os.path.exists(env.root):
        shutil.rmtree(env.root)
    res = {"when": datetime.datetime.now().strftime("%Y-%m-%d %H:%M"), "machine": machine_facts(),
           "args": {"runs": args.runs, "idle_seconds": args.idle_seconds, "idle_windows": args.idle_windows,
                    "screen": args.screen}}
    bench = None
    try:
        env.prepare_host()
        env.xvfb = harness.Xvfb(env.screen, first_display=args.first_display, logdir=env.logdir).start()
        env.display, env.xvfb_pid = env.xvfb.display, env.xvfb.pid
        env.boot()
        env.start_server(warmup_probe=win_path(PROBE))
        load0 = open("/proc/loadavg").read().split()[:3]
        others = others_running(env.prefix, env.xvfb_pid)
        c0 = cpu_times()
        bench = Bench(env, args)
        log("size")
        res["size"] = size_facts(env)
        log("start-up, %d runs" % args.runs)
        res["startup"] = bench.startup()
        log("idle, %d windows of %g s each, shown and hidden" % (args.idle_windows, args.idle_seconds))
        res["idle"] = bench.idle()
        log("repaints and memory, %d runs" % args.runs)
        res["repaints"] = bench.repaints_and_memory()
        c1 = cpu_times()
        total, idle = c1[0] - c0[0], c1[1] - c0[1]
        res["load"] = {"start": " ".join(load0), "end": " ".join(open("/proc/loadavg").read().split()[:3]),
                       "busy_pct": 100.0 * (total - idle) / total if total else 0.0,
                       "other_xvfb": others[0], "other_wine": others[1]}
    finally:
        if bench:
            bench.cleanup()
        env.teardown()
        with open(os.path.join(args.work, "results.json"), "w") as f:
            json.dump(res, f, indent=1, ensure_ascii=False)
    text = table(res)
    with open(os.path.join(args.work, "table.txt"), "w") as f:
        f.write(text + "\n")
    print(text)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except HarnessError as e:
        log("ERROR: %s" % e)
        sys.exit(2)
