#!/usr/bin/env python3
"""End-to-end scenarios for the five skinned buttons under Xvfb + Wine.

  python3 test_buttons.py <scenario> --exe Launcher.exe --probe launcher_probe.exe --work DIR
  python3 test_buttons.py list

Pixels come from screenshots of the X screen (ImageMagick), paints and clicks
from the probe's hook inside the launcher (WM_DRAWITEM and BN_CLICKED per
button, counted while `run --watch` keeps the hooks in place), all input from
xdotool. Screenshots of the button row in each look stay in the work folder.
Exit status as for test_spine.py.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import Failure, check, equal, log  # noqa: E402

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
CAPTION = (128, 128, 255)          # caption, pointer outside or over
FOCUS_FACE = (240, 240, 240)
FOCUS_CAPTION = (144, 0, 255)
ODS_SELECTED, ODS_FOCUS = 0x1, 0x10
CAPTIONS = ["内存优化", "刷新游戏", "托盘挂机", "访问官网", "返回游戏"]   # left to right
TAB_ORDER = ["刷新游戏", "托盘挂机", "内存优化", "访问官网", "返回游戏"]  # 超级按钮1 … 5
HOST_CLASS = "KorvHtmlViewer"
# Long enough for a paint or a click that is coming to arrive: the launcher
# paints within a few milliseconds of the message that asks for it.
GRACE = 0.8
HOVER_TRANSITIONS = int(os.environ.get("KORV_E2E_HOVER_TRANSITIONS", "10000"))
HOVER_BATCH = 200          # move pairs per xdotool run
HOVER_TIME_MS = 10
HOVER_PAUSE_S = 0.03       # after each move: the leave timer, with room to spare


# ------------------------------------------------------------------ helpers

class Buttons:
    """The launcher under `run --watch`, looked at through `state` snapshots."""

    def __init__(self, run, timeout_s=300):
        self.run = run
        self.env = run.env
        self.sup = run.start(watch=True, timeout_s=timeout_s)
        run.wait_window(self.sup)
        self.state = None
        self.refresh()
        got = [c for c in CAPTIONS if c in self.ctl]
        equal(got, CAPTIONS, "buttons found among the form window's children")
        for c in CAPTIONS:
            equal(self.ctl[c].cls.lower(), "button", "window class of %s" % c)
            l, t, r, b = self.ctl[c].rect
            equal((r - l, b - t), (48, 16), "size of %s" % c)
        self.park = self.outside_point()

    def refresh(self):
        self.state = self.env.probe(["state", str(self.sup.pid)])
        check(self.state["counters"] == "1", "the hook's counters are not readable")
        self.ctl = harness.controls(self.state)
        # The fixed frame is 3 px wide, so the 1029-px window has a 1023-px
        # client area and the rightmost column of the last button lies under
        # the frame; pixels are checked where the button can be seen.
        cl, ct, cr, cb = harness.rect_of(self.state["form_client"])
        for c in self.ctl.values():
            l, t, r, b = c.rect
            c.seen = (max(l, cl), max(t, ct), min(r, cr), min(b, cb))
        return self.state

    def wait(self, pred, what, timeout=10):
        def ok():
            self.refresh()
            return pred()
        return harness.wait_until(ok, timeout, what, interval=0.1)

    def row_rect(self):
        rects = [self.ctl[c].rect for c in CAPTIONS]
        return (min(r[0] for r in rects), min(r[1] for r in rects),
                max(r[2] for r in rects), max(r[3] for r in rects))

    def outside_point(self):
        """A point on the desktop below the launcher window, away from all buttons."""
        left, top, right, bottom = harness.rect_of(self.state["form_rect"])
        return (left + right) // 2, bottom + 60

    def shot(self, look):
        l, t, r, b = self.row_rect()
        path = os.path.join(os.path.abspath(self.run.args.work), "buttons-%s.png" % look)
        img = self.env.grab(l, t, r - l, b - t, path)
        log("screenshot of the button row, %s: %s" % (look, path))
        return img

    def focus_unit(self):
        return int(self.state["focus_unit"], 16)

    def close(self):
        self.env.probe(["post-close", str(self.sup.pid)])
        equal(self.run.exit_code(self.sup), 0, "exit code after WM_CLOSE")


def caption_shade(p):
    """RGB(128,128,255) blended by antialiasing into what lay beneath (white
    or the black outline): red equal to green, blue clearly above both."""
    return abs(p[0] - p[1]) <= 2 and p[2] > p[0] + 10


def caption_box(img, rect):
    """Bounding box of the caption on the white face: its pixels in all their
    antialiased shades, over the face or over the outline."""
    xs, ys = [], []
    for x, y, p in img.pixels(rect):
        if caption_shade(p):
            xs.append(x)
            ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


def check_flat_face(img, c, face, caption, other_caption, look):
    """Normal or focused look: the whole rectangle filled with face, a caption
    with pixels of exactly caption and none (near) other_caption."""
    l, t, r, b = c.seen
    # Rows 0, 1 and the last three carry no caption (it may touch the sides).
    for x, y in ((l, t), (r - 1, t), (l, b - 1), (r - 1, b - 1), ((l + r) // 2, t), (l, b - 2), (r - 1, t + 1)):
        equal(img.pixel(x, y), face, "%s, %s look: face pixel at %d,%d" % (c.text, look, x - l, y - t))
    check(img.count(c.seen, caption) > 0, "%s, %s look: no caption pixel of RGB%r" % (c.text, look, caption))
    equal(img.count(c.seen, other_caption, 8), 0, "%s, %s look: pixels of the other caption colour" % (c.text, look))
    equal(img.count(c.seen, BLACK, 20), 0, "%s, %s look: black (outline) pixels" % (c.text, look))


def check_outlined_face(img, c, look):
    """Hot or pressed look: black 1-px rounded outline, corners not painted
    black, white interior, caption in RGB(128,128,255)."""
    check(c.seen == c.rect, "%s is partly hidden (%s of %s)" % (c.text, c.seen, c.rect))
    l, t, r, b = c.rect
    mx, my = (l + r) // 2, (t + b) // 2
    for x, y in ((mx, t), (mx, b - 1), (l + 4, t), (r - 5, b - 1)):
        equal(img.pixel(x, y), BLACK, "%s, %s look: outline pixel at %d,%d" % (c.text, look, x - l, y - t))
    # The sides: the caption, drawn last, may cover a few outline pixels.
    for x in (l, r - 1):
        side = [img.pixel(x, y) for y in range(t + 4, b - 4)]
        check(all(p == BLACK or caption_shade(p) for p in side) and side.count(BLACK) >= 2,
              "%s, %s look: side x=%d not a black outline: %s" % (c.text, look, x - l, side))
    for x, y in ((l, t), (r - 1, t), (l, b - 1), (r - 1, b - 1)):
        check(img.pixel(x, y) != BLACK, "%s, %s look: corner %d,%d painted black" % (c.text, look, x - l, y - t))
    for x, y in ((l + 6, t + 1), (r - 7, b - 2), (mx, t + 1), (mx, b - 2)):
        equal(img.pixel(x, y), WHITE, "%s, %s look: interior pixel at %d,%d" % (c.text, look, x - l, y - t))
    check(img.count(c.rect, CAPTION) > 0, "%s, %s look: no caption pixel of RGB%r" % (c.text, look, CAPTION))
    equal(img.count(c.rect, FOCUS_CAPTION, 8), 0, "%s, %s look: focused-caption pixels" % (c.text, look))


def wait_drawn(b, caption, since, what, state_bits=None):
    """Waits for a WM_DRAWITEM of the button after `since` paints; with
    state_bits (mask, value), for one whose itemState matches."""
    def drawn():
        c = b.ctl[caption]
        return c.draws > since and (state_bits is None or c.last_state & state_bits[0] == state_bits[1])
    b.wait(drawn, what)
    return b.ctl[caption]


def moves_inside(b, c, points):
    """Real pointer moves to several points inside c; waits until the button
    has taken them all from its queue."""
    before = b.ctl[c.text].moves
    l, t, _, _ = c.rect
    for dx, dy in points:
        b.env.x_move(l + dx, t + dy)
    b.wait(lambda: b.ctl[c.text].moves >= before + len(points),
           "%d mouse moves reaching %s" % (len(points), c.text))


# ------------------------------------------------------------------ scenarios

def button_looks(run):
    """Normal, hot, pressed and focused faces read back from the screen; one
    repaint on entering, none for moves inside; press, drag out, release: no click."""
    b = Buttons(run)
    env = b.env
    env.x_move(*b.park)
    b.wait(lambda: all(b.ctl[c].draws >= 1 for c in CAPTIONS), "the first paint of every button")
    check(b.focus_unit() not in [b.ctl[c].hwnd for c in CAPTIONS], "a button has the focus at start")

    # Normal: every button. The first paints may still be arriving.
    def normal_row():
        img = b.shot("normal")
        return img if all(img.count(b.ctl[c].seen, CAPTION) > 0 for c in CAPTIONS) else None
    img = harness.wait_until(normal_row, 10, "the captions of the button row", interval=0.3)
    for cap in CAPTIONS:
        check_flat_face(img, b.ctl[cap], WHITE, CAPTION, FOCUS_CAPTION, "normal")

    # Hot: one repaint on entering, none for the moves that follow.
    cap = "刷新游戏"
    c = b.ctl[cap]
    draws = c.draws
    env.x_move(*c.centre())
    c = wait_drawn(b, cap, draws, "the repaint of %s on entering" % cap)
    moves_inside(b, c, [(5, 4), (40, 11), (24, 2), (2, 13), (30, 8)])
    time.sleep(GRACE)
    b.refresh()
    equal(b.ctl[cap].draws - draws, 1, "repaints of %s for entering and five moves inside" % cap)
    img = b.shot("hot")
    check_outlined_face(img, c, "hot")
    hot_box = caption_box(img, c.rect)
    check(hot_box is not None, "no caption found in the hot face")
    for other in CAPTIONS:
        if other != cap:
            check_flat_face(img, b.ctl[other], WHITE, CAPTION, FOCUS_CAPTION, "normal (beside the hot one)")

    # Pressed: the left button held over it.
    draws = b.ctl[cap].draws
    clicks = b.ctl[cap].clicks
    env.x_button("mousedown")
    try:
        c = wait_drawn(b, cap, draws, "the pressed paint of %s" % cap, (ODS_SELECTED, ODS_SELECTED))
        img = b.shot("pressed")
        check_outlined_face(img, c, "pressed")
        pressed_box = caption_box(img, c.rect)
        check(pressed_box is not None, "no caption found in the pressed face")
        log("caption box hot %s, pressed %s" % (hot_box, pressed_box))
        # The caption fills the whole width, so its right end is cut by the
        # button's edge once moved; the other three sides show the move.
        hl, ht, hr, hb = hot_box
        equal(pressed_box, (hl + 1, ht + 1, min(hr + 1, c.rect[2]), min(hb + 1, c.rect[3])),
              "pressed caption box (the hot one moved 1 right and 1 down)")

        # Drag out (below the row, over the game view) and release there.
        draws = c.draws
        env.x_move(c.centre()[0], c.rect[3] + 40)
        c = wait_drawn(b, cap, draws, "the repaint of %s after dragging out" % cap, (ODS_SELECTED, 0))
    finally:
        env.x_button("mouseup")
    time.sleep(GRACE)
    b.refresh()
    c = b.ctl[cap]
    equal(c.clicks - clicks, 0, "BN_CLICKED of %s after press, drag out, release outside" % cap)
    equal(b.focus_unit(), c.hwnd, "focus after press, drag out, release outside")
    img = b.shot("focused")
    check_flat_face(img, c, FOCUS_FACE, FOCUS_CAPTION, CAPTION, "focused")
    b.close()


def button_clicks(run):
    """A click, Space on the focused button and a double-click each give
    exactly one BN_CLICKED."""
    b = Buttons(run)
    env = b.env
    cap = "内存优化"   # its handler only trims the working set
    env.x_move(*b.park)
    c = b.ctl[cap]

    clicks = c.clicks
    env.x_click(*c.centre())
    b.wait(lambda: b.ctl[cap].clicks > clicks, "BN_CLICKED after a click on %s" % cap)
    time.sleep(GRACE)
    b.refresh()
    equal(b.ctl[cap].clicks - clicks, 1, "BN_CLICKED for one click")
    equal(b.focus_unit(), c.hwnd, "focus after the click")

    clicks = b.ctl[cap].clicks
    env.x_key("space")
    b.wait(lambda: b.ctl[cap].clicks > clicks, "BN_CLICKED after Space")
    time.sleep(GRACE)
    b.refresh()
    equal(b.ctl[cap].clicks - clicks, 1, "BN_CLICKED for one Space")

    clicks, dbl = b.ctl[cap].clicks, b.ctl[cap].dblclks
    env.xdotool("click", "--repeat", 2, "--delay", 80, 1)
    b.wait(lambda: b.ctl[cap].dblclks > dbl, "WM_LBUTTONDBLCLK reaching %s" % cap)
    time.sleep(GRACE)
    b.refresh()
    equal(b.ctl[cap].dblclks - dbl, 1, "double-clicks the button saw")
    equal(b.ctl[cap].clicks - clicks, 1, "BN_CLICKED for one double-click")
    b.close()


def button_tab_order(run):
    """Tab and Shift+Tab walk 超级按钮1 … 超级按钮5 and the game view, and wrap;
    a button focused by Tab shows the focused face."""
    b = Buttons(run)
    env = b.env
    env.x_focus(int(b.state["form_x11_window"]))
    env.x_move(*b.park)
    # Focus 超级按钮1 without clicking it: press on it, drag out, release.
    first = b.ctl[TAB_ORDER[0]]
    env.x_move(*first.centre())
    env.x_button("mousedown")
    env.x_move(first.centre()[0], first.rect[3] + 40)
    env.x_button("mouseup")
    b.wait(lambda: b.focus_unit() == first.hwnd, "the focus on %s" % TAB_ORDER[0])
    env.x_move(*b.park)

    host = b.ctl[HOST_CLASS].hwnd
    names = {b.ctl[c].hwnd: c for c in CAPTIONS}
    names[host] = "超文本浏览框1"
    ring = TAB_ORDER + ["超文本浏览框1"]
    unit = {c: b.ctl[c].hwnd for c in CAPTIONS}
    unit["超文本浏览框1"] = host

    def walk(key, order):
        for want in order:
            env.x_key(key)
            try:
                b.wait(lambda: b.focus_unit() == unit[want], "%s to reach %s" % (key, want), timeout=6)
            except harness.HarnessError:
                raise Failure("%s: focus on %s (window %s, class %s), expected %s" % (
                    key, names.get(b.focus_unit(), "?"), b.state["focus_hwnd"], b.state["focus_class"], want))
            log("%s -> %s (focus window class %s)" % (key, want, b.state["focus_class"]))
            if want in CAPTIONS:
                equal(int(b.state["focus_hwnd"], 16), unit[want], "focus window itself for %s" % want)

    # Forward from 超级按钮1: 2, 3, 4, 5, the game view, 1 again.
    walk("Tab", ring[1:] + ring[:1])
    img = b.shot("tab-focused")
    check_flat_face(img, b.ctl[TAB_ORDER[0]], FOCUS_FACE, FOCUS_CAPTION, CAPTION, "focused by Tab")
    for other in TAB_ORDER[1:]:
        check_flat_face(img, b.ctl[other], WHITE, CAPTION, FOCUS_CAPTION, "normal beside the focused one")
    # Backward from 超级按钮1: the game view, 5, 4, 3, 2, 1.
    back = list(reversed(ring))
    walk("shift+Tab", back[:])
    b.close()


def button_hot_inactive_covered(run):
    """The hot face shows while another window is active; a button covered by
    another window at the pointer never turns hot (its uncovered half does)."""
    b = Buttons(run)
    env = b.env
    env.x_move(*b.park)
    fl, ft, fr, fbottom = harness.rect_of(b.state["form_rect"])
    other = run.helper(["window", "--timeout", "120000", str(fl), str(fbottom + 20), "300", "120"])
    w = other.wait_key("ready", 60)
    env.x_focus(int(w["x11_window"]))
    b.wait(lambda: b.state["foreground_is_form"] == "0", "another window to be the foreground one")

    cap = "托盘挂机"
    c = b.ctl[cap]
    draws = c.draws
    env.x_move(*c.centre())
    c = wait_drawn(b, cap, draws, "the hot paint of %s while inactive" % cap)
    img = b.shot("hot-inactive")
    check_outlined_face(img, c, "hot while inactive")
    equal(b.state["foreground_is_form"], "0", "launcher still inactive")
    env.x_move(*b.park)
    c = wait_drawn(b, cap, c.draws, "the repaint of %s on leaving" % cap)

    # A topmost window of the probe over the left half of 访问官网.
    cap = "访问官网"
    c = b.ctl[cap]
    l, t, r, bot = c.rect
    cover = run.helper(["window", "--topmost", "--popup", "--timeout", "120000",
                        str(l - 4), str(t), str(24 + 4), str(bot - t + 4)])
    cover.wait_key("ready", 60)
    harness.wait_until(lambda: env.grab(l, t, 24, 16, os.path.join(run.args.work, "cover.png")).pixel(l + 10, t + 8)
                       == (0, 160, 0), 10, "the cover window on screen", interval=0.2)
    draws, moves = c.draws, c.moves
    for dx, dy in ((6, 8), (12, 4), (18, 12), (10, 8)):
        env.x_move(l + dx, t + dy)
    time.sleep(GRACE)
    b.refresh()
    img = b.shot("covered")
    equal(b.ctl[cap].draws - draws, 0, "repaints of %s with the pointer over the cover" % cap)
    equal(img.count((l + 28, t + 1, r - 1, bot - 1), BLACK, 20), 0, "black outline in the uncovered half of %s" % cap)
    log("mouse moves %s got under the cover: %d" % (cap, b.ctl[cap].moves - moves))
    # Uncovered half: the same button turns hot there.
    env.x_move(l + 38, t + 8)
    c = wait_drawn(b, cap, draws, "the hot paint of %s in its uncovered half" % cap)
    img = b.shot("half-covered-hot")
    equal(img.pixel(r - 1, (t + bot) // 2), BLACK, "outline at the right edge of %s once hot" % cap)
    b.close()


def soak_button_hover(run):
    """Hot/cold transitions on one button by real pointer moves, 10,000 by
    default: one repaint for each, and the process's object counts where
    they were at the end."""
    # Leaving is noticed on a timer of the hover time; a short one keeps the
    # run to minutes rather than an hour.
    run.env.set_mouse_hover_time(HOVER_TIME_MS)
    try:
        hover_transitions(run)
    finally:
        run.env.set_mouse_hover_time(None)


def hover_transitions(run):
    b = Buttons(run, timeout_s=900)
    env = b.env
    cap = "刷新游戏"
    # Out over the game view below the button: warped in from the desktop,
    # outside every Wine window, the pointer brings the button no move.
    inside = b.ctl[cap].centre()
    outside = (inside[0], b.ctl[cap].rect[3] + 40)
    env.x_move(*outside)
    # One round first, so that whatever a first hover makes exists before counting.
    draws = b.ctl[cap].draws
    env.x_move(*inside)
    wait_drawn(b, cap, draws, "the hot paint of %s" % cap)
    env.x_move(*outside)
    c = wait_drawn(b, cap, draws + 1, "the repaint of %s on leaving" % cap)
    draws0 = c.draws
    pairs = HOVER_TRANSITIONS // 2
    counts = [harness.process_counts(env, b.sup.pid)]
    t0 = time.monotonic()
    # A pause after each move lets the launcher take it, and notice the
    # leave, before the next: Wine merges pointer moves that wait in its queue.
    for first, last in ((0, pairs // 2), (pairs // 2, pairs)):
        for start in range(first, last, HOVER_BATCH):
            moves = []
            for _ in range(min(HOVER_BATCH, last - start)):
                moves += ["mousemove", inside[0], inside[1], "sleep", HOVER_PAUSE_S,
                          "mousemove", outside[0], outside[1], "sleep", HOVER_PAUSE_S]
            env.xdotool(*moves, timeout=60 + HOVER_BATCH)
        try:
            b.wait(lambda: b.ctl[cap].draws - draws0 >= 2 * last, "a repaint for each transition", timeout=60)
        except harness.HarnessError:
            raise Failure("%d repaints of %s for %d hot/cold transitions (%d mouse moves taken)" % (
                b.ctl[cap].draws - draws0, cap, 2 * last, b.ctl[cap].moves))
        counts.append(harness.process_counts(env, b.sup.pid))
    time.sleep(GRACE)
    b.refresh()
    log("%d transitions in %.1f s" % (2 * pairs, time.monotonic() - t0))
    equal(b.ctl[cap].draws - draws0, 2 * pairs, "repaints of %s for %d hot/cold transitions" % (cap, 2 * pairs))
    harness.check_counts_kept(*counts, "%d transitions" % (2 * pairs))
    b.close()


SCENARIOS = {
    "soak_button_hover": (soak_button_hover, "main"),
    "button_looks": (button_looks, "main"),
    "button_clicks": (button_clicks, "main"),
    "button_tab_order": (button_tab_order, "main"),
    "button_hot_inactive_covered": (button_hot_inactive_covered, "main"),
}
SCREENS = {"main": harness.DEFAULT_SCREEN, "small": "800x600x24"}


if __name__ == "__main__":
    sys.exit(harness.scenario_main(__doc__, SCENARIOS, SCREENS))
