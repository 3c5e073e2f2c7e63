#!/usr/bin/env python3
"""End-to-end scenarios for the launcher's window spine under Xvfb + Wine.

  python3 test_spine.py <scenario> --exe Launcher.exe --probe launcher_probe.exe --work DIR
  python3 test_spine.py setup   --probe launcher_probe.exe --work DIR   (shared environments)
  python3 test_spine.py cleanup --work DIR
  python3 test_spine.py list

A scenario uses the shared environment that `setup` left in DIR when there is
one, and otherwise boots (and afterwards removes) one of its own. Exit status:
0 pass, 1 fail, 2 harness or usage error, 77 skipped (prerequisite missing).
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import Failure, HarnessError, Skip, check, equal, log, print_facts  # noqa: E402

# The launcher's window as it is meant to be.
FORM_W, FORM_H = 1029, 630
TITLE_GBK_HEX = "4B6F727665737361B5C7C2BCC6F720202020"  # "Korvessa登录器    "
WS_VISIBLE = 0x10000000
WS_CLIPSIBLINGS = 0x04000000
WS_CLIPCHILDREN = 0x02000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_MINIMIZEBOX = 0x00020000
WS_EX_WINDOWEDGE = 0x00000100
WS_EX_LAYERED = 0x00080000
LWA_ALPHA = 2
EXPECTED_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_VISIBLE
VK_ESCAPE, VK_F4 = 27, 115
# How long a key that should end the launcher may take to do it; the wait
# returns as soon as the process ends. Once, under load, the window was still
# there 2 s after Alt+F4.
EXIT_GRACE_MS = 10000


def c_div(a, b):
    """Integer division toward zero, as C does it."""
    q = abs(a) // abs(b)
    return q if (a < 0) == (b < 0) else -q


def expected_rect(sw, sh):
    left, top = c_div(sw - FORM_W, 2), c_div(sh - FORM_H, 2)
    return "%d,%d,%d,%d" % (left, top, left + FORM_W, top + FORM_H)


def ints(csv):
    return [int(x) for x in csv.split(",")]


# ------------------------------------------------------------------ scenarios

def window_facts(run):
    """Title bytes, rect, styles, layered alpha, empty menu bar, icons at 1920x1080."""
    sup = run.start()
    run.wait_window(sup)
    info = run.env.probe(["info", str(sup.pid)])
    print_facts("info", info)
    equal(info["screen"], "1920,1080", "screen size")
    equal(info["title_gbk_hex"], TITLE_GBK_HEX, "title as GBK")
    equal(info["rect"], expected_rect(1920, 1080), "window rect")
    # Windows (and Wine) add WS_CLIPSIBLINGS to every top-level window and
    # WS_EX_WINDOWEDGE to every captioned one; everything else must be exact.
    style = int(info["style"], 16)
    equal(hex(style & ~WS_CLIPSIBLINGS), hex(EXPECTED_STYLE), "style (without the system-added WS_CLIPSIBLINGS)")
    exstyle = int(info["exstyle"], 16)
    equal(hex(exstyle & ~WS_EX_WINDOWEDGE), hex(WS_EX_LAYERED), "exstyle (without the system-added WS_EX_WINDOWEDGE)")
    equal(info["layered_alpha"], "250", "layered alpha")
    equal(info["layered_flags"], str(LWA_ALPHA), "layered flags")
    equal(info["menu"], "1", "menu bar present")
    equal(info["menu_items"], "0", "menu bar items")
    equal(info["icon_big"], "1", "big icon set")
    equal(info["icon_small"], "1", "small icon set")
    run.env.probe(["post-close", str(sup.pid)])
    equal(run.exit_code(sup), 0, "exit code after WM_CLOSE")


def window_rect_small(run):
    """At 800x600 the window is still centred: (-114,-15) with C division."""
    sup = run.start()
    run.wait_window(sup)
    info = run.env.probe(["info", str(sup.pid), "--no-hook"])
    print_facts("info", info, ["screen", "rect", "size"])
    equal(info["screen"], "800,600", "screen size")
    equal(info["rect"], expected_rect(800, 600), "window rect")
    run.env.probe(["post-close", str(sup.pid)])
    equal(run.exit_code(sup), 0, "exit code after WM_CLOSE")


def first_show_layered(run):
    """The window is layered with alpha 250 at the moment it first turns visible."""
    v = run.env.probe(["first-show-check", "--timeout", "30000", harness.win_path(run.args.exe)], timeout=120)
    print_facts("first show", v)
    check(v["show_event"] in ("WM_SHOWWINDOW", "WM_WINDOWPOSCHANGING", "WM_STYLECHANGING"),
          "first show not observed: %s" % v["show_event"])
    equal(v["visible_before_show"], "0", "window already visible when the show was observed")
    equal(v["layered_at_show"], "1", "WS_EX_LAYERED with LWA_ALPHA at first show")
    equal(v["alpha_at_show"], "250", "alpha at first show")
    equal(v.get("exit_code"), "0", "exit code after WM_CLOSE")


def esc_closes(run):
    """Esc (real key press) ends the launcher with exit code 0."""
    sup = run.start()
    run.focus_form(sup)
    v = run.key_watch(sup, VK_ESCAPE, ["Escape"], EXIT_GRACE_MS)
    print_facts("Esc", v)
    equal((v["key_msg"], v["key_mods"]), ("WM_KEYDOWN", "0"), "Esc as the launcher saw it")
    equal(v["exited"], "1", "launcher ended after Esc")
    equal(run.exit_code(sup), 0, "exit code after Esc")


def esc_modifiers_ignored(run):
    """Ctrl+Esc, Shift+Esc and Alt+Esc leave it running; plain Esc then ends it."""
    sup = run.start()
    for keys, mods, msg in (("ctrl+Escape", "1", "WM_KEYDOWN"),
                            ("shift+Escape", "2", "WM_KEYDOWN"),
                            ("alt+Escape", "4", "WM_SYSKEYDOWN")):
        run.focus_form(sup)
        v = run.key_watch(sup, VK_ESCAPE, [keys])
        print_facts(keys, v)
        equal((v["key_msg"], v["key_mods"]), (msg, mods), "%s as the launcher saw it" % keys)
        equal(v["exited"], "0", "launcher still running after %s" % keys)
        equal(v.get("window_alive"), "1", "form window still there after %s" % keys)
    run.focus_form(sup)
    v = run.key_watch(sup, VK_ESCAPE, ["Escape"], EXIT_GRACE_MS)
    equal(v["exited"], "1", "launcher ended after the final plain Esc")
    equal(run.exit_code(sup), 0, "exit code after Esc")


def esc_from_child_focus(run):
    """Esc ends the launcher also while a child window has the keyboard focus."""
    sup = run.start()
    run.focus_form(sup)
    info = run.env.probe(["info", str(sup.pid)])
    if int(info["child_count"]) == 0:
        run.env.probe(["post-close", str(sup.pid)])
        run.exit_code(sup)
        raise Skip("the form window has no child windows yet")
    f = run.env.probe(["focus-child", str(sup.pid), "0"])
    print_facts("focus", f)
    equal(f["focus_is_child"], "1", "keyboard focus moved to a child")
    v = run.key_watch(sup, VK_ESCAPE, ["Escape"], EXIT_GRACE_MS)
    print_facts("Esc", v)
    equal(v["key_to_child"], "1", "Esc addressed to the focused child")
    equal(v["exited"], "1", "launcher ended after Esc")
    equal(run.exit_code(sup), 0, "exit code after Esc")


def alt_f4_closes(run):
    """Alt+F4 (real key press) ends the launcher with exit code 0."""
    sup = run.start()
    run.focus_form(sup)
    v = run.key_watch(sup, VK_F4, ["alt+F4"], EXIT_GRACE_MS)
    print_facts("Alt+F4", v)
    equal((v["key_msg"], v["key_mods"]), ("WM_SYSKEYDOWN", "4"), "Alt+F4 as the launcher saw it")
    equal(v["exited"], "1", "launcher ended after Alt+F4")
    equal(run.exit_code(sup), 0, "exit code after Alt+F4")


def close_button_point(info):
    """Centre of the caption's close button, from the window rect and the
    system metrics: it is the right-most caption button, SM_CXSIZE wide,
    inside the fixed (dialog) frame, on the caption SM_CYCAPTION high."""
    left, top, right, _ = ints(info["rect"])
    fx, fy = ints(info["metrics_fixedframe"])
    bw, _ = ints(info["metrics_size"])
    pad = int(info["metrics_paddedborder"])
    caption = int(info["metrics_caption"])
    x = right - fx - pad - bw // 2 - 1
    y = top + fy + pad + caption // 2
    return x, y


def close_button_click(run):
    """A real click on the caption's close button ends it with exit code 0."""
    sup = run.start()
    run.wait_window(sup)
    info = run.env.probe(["info", str(sup.pid), "--no-hook"])
    x, y = close_button_point(info)
    sw, sh = ints(info["screen"])
    check(0 <= x < sw and 0 <= y < sh, "close button (%d,%d) is off screen" % (x, y))
    if "titlebar" in info:
        tl, tt, tr, tb = ints(info["titlebar"])
        check(tt <= y < tb and x < tr, "close button (%d,%d) outside the title bar %s" % (x, y, info["titlebar"]))
    # A click on an empty part of the caption first: it must not close, so
    # the close below is owed to the button and not to any click.
    run.env.x_click((ints(info["rect"])[0] + x) // 2, y)
    w = run.env.probe(["wait-exit", str(sup.pid), "1500"])
    equal(w["exited"], "0", "launcher still running after a click on the bare caption")
    log("clicking the close button at %d,%d" % (x, y))
    run.env.x_click(x, y)
    equal(run.exit_code(sup), 0, "exit code after the close button")


def two_instances(run):
    """Two starts give two windows, each closing with 0."""
    a, b = run.start(), run.start()
    wa, wb = run.wait_window(a), run.wait_window(b)
    check(wa["hwnd"] != wb["hwnd"], "both starts report the same window")
    check(wa["x11_window"] != wb["x11_window"], "both windows share one X window")
    for sup in (a, b):
        c = run.env.probe(["count", str(sup.pid)])
        equal(c["form_windows_visible"], "1", "visible form windows of pid %d" % sup.pid)
    total = run.env.probe(["count"])
    check(int(total["form_windows_visible"]) >= 2, "fewer than two form windows: %s" % total)
    for sup in (a, b):
        run.env.probe(["post-close", str(sup.pid)])
    equal((run.exit_code(a), run.exit_code(b)), (0, 0), "exit codes of both")


def mapping_tmp(run):
    """Run as LAUNCHER.TMP (and Launcher.Tmp) it zeroes the first 3 bytes of the mapping."""
    for name in ("LAUNCHER.TMP", "Launcher.Tmp"):
        exe = run.env.stage(run.args.exe, name, "mapping-" + name.lower().replace(".", "-"))
        v = run.env.probe(["mapping-check", harness.win_path(exe)], timeout=120)
        print_facts(name, v, ["acp", "mapping_first4", "mapping_unicode_name", "exit_code"])
        equal(v["mapping_first4"], "000000FF", "first 4 bytes after %s started" % name)
        equal(v["exit_code"], "0", "exit code of %s" % name)
        if v["acp"] == "936":
            equal(v["mapping_unicode_name"], "1", "mapping reachable by its wide name under code page 936")


def mapping_exe(run):
    """Run as Launcher.exe it leaves the mapping alone."""
    exe = run.env.stage(run.args.exe, "Launcher.exe", "mapping-exe")
    v = run.env.probe(["mapping-check", harness.win_path(exe)], timeout=120)
    print_facts("Launcher.exe", v, ["acp", "mapping_first4", "exit_code"])
    equal(v["mapping_first4"], "FFFFFFFF", "first 4 bytes after Launcher.exe started")
    equal(v["exit_code"], "0", "exit code")


def screenshot(run):
    """Saves a screenshot of the running launcher and checks the window is drawn."""
    sup = run.start()
    run.wait_window(sup)
    info = run.env.probe(["info", str(sup.pid), "--no-hook"])
    left, top, right, bottom = ints(info["rect"])
    sw, sh = ints(info["screen"])
    path = os.path.join(os.path.abspath(run.args.work), "screenshot-%dx%d.png" % (sw, sh))
    attempt = [0]

    def drawn():
        attempt[0] += 1
        run.env.screenshot(path)
        w, h, rgb = run.env.read_rgb(path)
        if (w, h) != (sw, sh):
            raise Failure("screenshot is %dx%d, the screen %dx%d" % (w, h, sw, sh))
        bg = rgb[0:3]  # top-left corner, outside the centred window
        total = differ = 0
        colours = set()
        for yy in range(max(top, 0), min(bottom, h), 7):
            row = yy * w * 3
            for xx in range(max(left, 0), min(right, w), 7):
                px = rgb[row + xx * 3: row + xx * 3 + 3]
                total += 1
                differ += px != bg
                if len(colours) < 64:
                    colours.add(px)
        share = differ / total if total else 0
        log("screenshot %d: %.0f%% of the window differs from the desktop, %d colours"
            % (attempt[0], 100 * share, len(colours)))
        return share > 0.5 and len(colours) >= 2

    harness.wait_until(drawn, 20, "the launcher window to be drawn", interval=0.3)
    log("screenshot saved: %s" % path)
    run.env.probe(["post-close", str(sup.pid)])
    equal(run.exit_code(sup), 0, "exit code after WM_CLOSE")


def expect_fatal_error(run, exe=None, extra_env=None):
    """Start-up fails: the error box, without owner and over no form window,
    waits for OK, pressed for real; then exit code -1 as Windows sees it.
    Returns the box's facts."""
    sup = run.start(exe=exe, watch=True, extra_env=extra_env)
    d = run.env.probe(["dialog-wait", "--timeout", "30000", "--icon", str(sup.pid)], timeout=90)
    print_facts("dialog", d, ["hwnd", "title_utf8", "owner", "icon", "buttons", "form_windows"])
    equal(d["title_utf8"], "运行错误", "message box title")
    equal(d["owner"], "0x00000000", "message box owner")
    equal(d["icon"], "error", "message box icon")
    equal(d["form_windows_visible"], "0", "visible form windows while the error shows")
    check(int(d["buttons"]) >= 1, "message box without a button")
    check(sup.running(), "the launcher ended before OK was pressed")
    run.env.x_focus(int(d["x11_window"]))
    run.env.x_key("Return")
    v = sup.wait_key("exit_code", 30)
    print_facts("run", v, ["show_event", "form_seen", "exit_code", "exit_code_u32"])
    equal(v["show_event"], "none", "a form window was shown")
    equal(v["exit_code"], "-1", "exit code seen by Windows")
    return d


def bad_form(run):
    """A malformed form description: error box without owner, no form window,
    OK pressed for real, exit code -1 (255 as Wine's own exit status)."""
    bad = run.args.bad_exe
    if not bad:
        raise Skip("no --bad-exe given")
    # 1: under the probe, with the hooks in place from the start.
    expect_fatal_error(run, bad)
    # 2: started by wine itself, whose exit status is the low byte: 255.
    staged = run.env.stage(bad, os.path.basename(bad), "bad-form")
    w = run.env.wine_bg(harness.win_path(staged), name="bad-form-wine")
    d2 = run.env.probe(["dialog-wait", "--timeout", "30000", "--image", os.path.basename(bad), "0"], timeout=90)
    equal(d2["form_windows_visible"], "0", "visible form windows while the error shows (wine run)")
    run.env.x_focus(int(d2["x11_window"]))
    run.env.x_key("Return")
    equal(w.wait(30), 255, "wine's exit status")


SCENARIOS = {
    "window_facts": (window_facts, "main"),
    "window_rect_small": (window_rect_small, "small"),
    "first_show_layered": (first_show_layered, "main"),
    "esc_closes": (esc_closes, "main"),
    "esc_modifiers_ignored": (esc_modifiers_ignored, "main"),
    "esc_from_child_focus": (esc_from_child_focus, "main"),
    "alt_f4_closes": (alt_f4_closes, "main"),
    "close_button_click": (close_button_click, "main"),
    "two_instances": (two_instances, "main"),
    "mapping_tmp": (mapping_tmp, "main"),
    "mapping_exe": (mapping_exe, "main"),
    "screenshot": (screenshot, "main"),
    "bad_form": (bad_form, "main"),
}
SCREENS = {"main": harness.DEFAULT_SCREEN, "small": "800x600x24"}


if __name__ == "__main__":
    sys.exit(harness.scenario_main(__doc__, SCENARIOS, SCREENS))
