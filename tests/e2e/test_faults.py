#!/usr/bin/env python3
"""End-to-end fault injection under Xvfb + Wine: what the launcher meets when
a part of the system it relies on is missing, refuses or misbehaves.

  python3 test_faults.py <scenario> --exe Launcher.exe --probe launcher_probe.exe --work DIR
  python3 test_faults.py list

Each fault ends one of two ways: the start-up error box and exit code -1, or
nothing visible at all, the launcher carrying on unharmed. Exit status as
for test_spine.py.
"""

import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import check, equal, log, print_facts  # noqa: E402
from test_buttons import GRACE  # noqa: E402
from test_spine import expect_fatal_error  # noqa: E402
from test_tray import EXIT_ID, Tray  # noqa: E402

WM_CLOSE, WM_COMMAND = 0x0010, 0x0111
# Wine's WebBrowser control lives in ieframe.dll; "d" keeps it from loading.
NO_BROWSER = {"WINEDLLOVERRIDES": "mscoree,mshtml=;ieframe=d"}
FORM_TYPE = "FORM"


def fault_no_browser(run):
    """The browser control cannot be created: the error box, then -1."""
    expect_fatal_error(run, extra_env=NO_BROWSER)


def form_copy(run, name, form, form_bytes):
    """A copy of the launcher whose form resource (built from `form`) is
    changed in place: form_bytes, padded or cut to the resource's size,
    replaces its data; None renames the resource's type, so that it is
    missing."""
    with open(run.args.exe, "rb") as f:
        image = bytearray(f.read())
    if form_bytes is None:
        # Resource names are stored as a length and UTF-16 characters.
        stored = b"\x04\x00" + FORM_TYPE.encode("utf-16-le")
        equal(image.count(stored), 1, "resource type names %s in the launcher" % FORM_TYPE)
        at = image.index(stored) + 2
        image[at:at + 8] = "FORX".encode("utf-16-le")
    else:
        equal(image.count(form), 1, "copies of the built form description in the launcher")
        at = image.index(form)
        image[at:at + len(form)] = form_bytes[:len(form)].ljust(len(form), b"\0")
    exe = run.env.stage(run.args.exe, "Launcher.exe", "form-" + name)
    with open(exe, "wb") as f:
        f.write(image)
    return exe


def fault_form_resource(run):
    """The form description missing, binary junk, or cut short mid-line (the
    rest zero bytes): each time the error box, then -1."""
    rng = random.Random(7)
    junk = bytes(rng.randrange(256) for _ in range(8192))
    # The form as the build put it into the launcher.
    with open(os.path.join(os.path.dirname(run.args.exe), "Launcher.form"), "rb") as f:
        form = f.read()
    cut = form[:form.index(b'caption = "') + len(b'caption = "Korv')]
    for name, content in (("missing", None), ("junk", junk), ("cut", cut)):
        log("form description %s" % name)
        expect_fatal_error(run, form_copy(run, name, form, content))


def fault_mapping(run):
    """Run as LAUNCHER.TMP with the host's mapping absent, read-only, or one
    byte long: no error, the window shows, WM_CLOSE ends it with 0."""
    exe = run.env.stage(run.args.exe, "LAUNCHER.TMP", "mapping-faults")
    cases = (
        # name, mapping-check options, first 4 bytes afterwards
        ("absent", ["--absent"], "absent"),
        ("read-only", ["--read-only"], "FFFFFFFF"),        # nothing written through a refused view
        ("one byte", ["--size", "1"], "00000000"),         # the system gives a whole page
    )
    for name, options, first4 in cases:
        v = run.env.probe(["mapping-check"] + options + [harness.win_path(exe)], timeout=120)
        print_facts(name, v, ["mapping_first4", "mapping_writable_by_others", "shown_before_close", "exit_code"])
        if name == "read-only":
            equal(v["mapping_writable_by_others"], "0", "the read-only mapping refuses writers")
        equal(v["mapping_first4"], first4, "first 4 bytes with the mapping %s" % name)
        equal(v["shown_before_close"], "1", "window shown with the mapping %s" % name)
        equal(v["exit_code"], "0", "exit code with the mapping %s" % name)


def fault_tray_refused(run):
    """A shell that refuses the icon: 托盘挂机 leaves the window shown and no
    icon; once the shell takes icons again, 托盘挂机 hides to the tray."""
    t = Tray(run)
    env = t.env
    env.x_move(*t.park)
    shell = run.helper(["refusing-shell", "300000"])
    v = shell.wait_key("refusing_shell", 60)
    equal(v["first_tray"], "1", "the refusing shell is the one Shell_NotifyIcon finds")
    t.click_button("托盘挂机")
    harness.wait_until(lambda: int(shell.values()["refused"]) >= 1, 20, "the icon request to reach the shell")
    time.sleep(GRACE)
    t.refresh()
    equal(t.state["form_visible"], "1", "window after 托盘挂机 with the icon refused")
    equal(t.icons()[0], 0, "tray icons with the icon refused")
    log("icon requests refused: %s" % shell.values()["refused"])

    shell.stop()
    t.click_button("托盘挂机")
    t.wait(lambda: t.state["form_visible"] == "0", "the window to hide once the shell takes icons")
    t.wait_icons(1, "one icon once the shell takes icons")
    env.probe(["post-close", str(t.sup.pid)])
    equal(run.exit_code(t.sup), 0, "exit code")
    t.wait_icons(0, "tray icons after WM_CLOSE")


def fault_destroy_twice(run):
    """退出 twice in a row, and WM_CLOSE twice then 退出, all queued before the
    first is handled: the window goes once, exit code 0."""
    for name, posts in (("退出 twice", [(WM_COMMAND, EXIT_ID, 2)]),
                        ("WM_CLOSE twice then 退出", [(WM_CLOSE, 0, 2), (WM_COMMAND, EXIT_ID, 1)])):
        sup = run.start(watch=True)
        run.wait_window(sup)
        for message, wparam, count in posts:
            v = run.env.probe(["post", str(sup.pid), str(message), str(wparam), "0", str(count)])
            equal(v["posted"], str(count), "messages posted (%s)" % name)
        equal(run.exit_code(sup), 0, "exit code after %s" % name)
        equal(run.env.probe(["count", str(sup.pid)])["form_windows"], "0", "form windows left after %s" % name)


def fault_close_during_menu(run):
    """WM_CLOSE, once and twice, while the tray menu is open: the launcher
    ends with 0, taking the menu with it, and its icon is gone."""
    for closes in (1, 2):
        t = Tray(run)
        t.env.x_move(*t.park)
        t.click_button("托盘挂机")
        t.wait(lambda: t.state["form_visible"] == "0", "the window to hide")
        icon = t.wait_icons(1, "one icon after 托盘挂机")
        t.open_menu(icon, "left")
        check(t.menu_open(), "the tray menu is not open")
        v = t.env.probe(["post", str(t.sup.pid), str(WM_CLOSE), "0", "0", str(closes)])
        equal(v["posted"], str(closes), "WM_CLOSE posted")
        equal(run.exit_code(t.sup), 0, "exit code after %d WM_CLOSE with the menu open" % closes)
        t.wait_icons(0, "tray icons after WM_CLOSE with the menu open")


SCENARIOS = {
    "fault_no_browser": (fault_no_browser, "main"),
    "fault_form_resource": (fault_form_resource, "main"),
    "fault_mapping": (fault_mapping, "main"),
    "fault_tray_refused": (fault_tray_refused, "main"),
    "fault_destroy_twice": (fault_destroy_twice, "main"),
    "fault_close_during_menu": (fault_close_during_menu, "main"),
}
SCREENS = {"main": harness.DEFAULT_SCREEN}


if __name__ == "__main__":
    sys.exit(harness.scenario_main(__doc__, SCENARIOS, SCREENS))
