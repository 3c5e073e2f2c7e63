"""End-to-end harness: Xvfb + a Wine prefix + the Windows-side probe + xdotool.

Python standard library only. The pieces:

  Xvfb            an X server on a display number of its own (from 90 up)
  WineEnv         one Wine prefix bound to one Xvfb; runs the probe and the
                  launcher, stages copies of the launcher under other names
  BgProbe         a probe (or any Wine program) running in the background,
                  its key=value output read from a file while it runs
  xdotool helpers real keyboard and mouse input for the Wine windows

Environments can be shared: `create_shared()` boots them once and writes
their description to <work>/env/state.json (the CTest setup fixture does
this), `load_shared()` reuses them, `destroy_shared()` tears them down (the
cleanup fixture). Output of Wine programs always goes to files, never to
pipes: Wine's background services inherit the first program's descriptors
and would keep a pipe open long after the program ended.
"""

import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SCREEN = "1920x1080x24"
WINE32_LOADER = "/usr/lib/wine/wine"
QEMU_BINFMT = "/proc/sys/fs/binfmt_misc/qemu-i386"


class HarnessError(Exception):
    pass


def log(msg):
    sys.stderr.write("[%s] %s\n" % (time.strftime("%H:%M:%S"), msg))
    sys.stderr.flush()


def wait_until(pred, timeout, what, interval=0.05):
    """Polls pred() until it returns something truthy; raises on the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = pred()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def parse_kv(text):
    values = {}
    for line in text.splitlines():
        if "=" in line:
            k, v = line.split("=", 1)
            values[k.strip()] = v.rstrip("\r")
    return values


def need_tool(name):
    path = shutil.which(name)
    if not path:
        raise HarnessError("%s not found; run tests/e2e/setup_wine32.sh as root" % name)
    return path


def pid_alive(pid, needle=None):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            cmd = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
    except OSError:
        return False
    return needle is None or needle in cmd


# ------------------------------------------------------------------ 32-bit

def wine32_mode():
    """'native', 'qemu', or raises: how this machine runs 32-bit Wine."""
    try:
        subprocess.run([WINE32_LOADER, "--version"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=True)
    except OSError as e:
        raise HarnessError(
            "32-bit Wine cannot start (%s). This kernel runs no 32-bit programs "
            "(ia32 emulation off); run tests/e2e/setup_wine32.sh as root to hand them "
            "to qemu-i386 through binfmt_misc" % e)
    except (subprocess.SubprocessError) as e:
        raise HarnessError("32-bit Wine failed: %s" % e)
    try:
        with open(QEMU_BINFMT) as f:
            if f.readline().strip() == "enabled":
                return "qemu"
    except OSError:
        pass
    return "native"


def build_qemu_shim(dest):
    """Builds the MAP_FIXED_NOREPLACE shim (see qemu_mmap_fix.c) under dest.

    LD_PRELOAD gets dest/$LIB/korv_qemu_mmap.so: the 32-bit loader expands
    $LIB to lib/i386-linux-gnu, 64-bit Wine processes to lib/x86_64-linux-gnu,
    where an empty library sits so that they load quietly.
    """
    lib32 = os.path.join(dest, "lib", "i386-linux-gnu", "korv_qemu_mmap.so")
    lib64 = os.path.join(dest, "lib", "x86_64-linux-gnu", "korv_qemu_mmap.so")
    src = os.path.join(HERE, "qemu_mmap_fix.c")
    if not (os.path.exists(lib32) and os.path.getmtime(lib32) >= os.path.getmtime(src)):
        os.makedirs(os.path.dirname(lib32), exist_ok=True)
        cc = need_tool("i686-linux-gnu-gcc")
        subprocess.run([cc, "-O2", "-shared", "-fPIC", "-o", lib32, src], check=True)
    if not os.path.exists(lib64):
        os.makedirs(os.path.dirname(lib64), exist_ok=True)
        empty = os.path.join(dest, "empty.c")
        with open(empty, "w") as f:
            f.write("int korv_qemu_mmap_unused;\n")
        subprocess.run([need_tool("gcc"), "-shared", "-fPIC", "-o", lib64, empty], check=True)
    return os.path.join(dest, "$LIB", "korv_qemu_mmap.so")


def build_locale(dest, name):
    """Compiles a glibc locale into dest (used through LOCPATH), so that Wine
    runs with that locale's ANSI code page without touching the system."""
    if name in ("C", "C.UTF-8", "POSIX"):
        return None
    target = os.path.join(dest, name)
    if os.path.isdir(target):
        return dest
    lang = name.split(".")[0]
    if not shutil.which("localedef") or not os.path.exists("/usr/share/i18n/locales/" + lang):
        log("locale %s cannot be built here; Wine runs with the C locale" % name)
        return None
    os.makedirs(dest, exist_ok=True)
    subprocess.run(["localedef", "-i", lang, "-f", "UTF-8", target], check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return dest if os.path.isdir(target) else None


# ------------------------------------------------------------------ Xvfb

class Xvfb:
    def __init__(self, screen=DEFAULT_SCREEN, first_display=90, logdir=None):
        self.screen = screen
        self.first_display = first_display
        self.logdir = logdir or tempfile.gettempdir()
        self.display = None
        self.pid = None
        self.proc = None

    @staticmethod
    def _taken(n):
        return os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n)

    def start(self, timeout=20):
        xvfb = need_tool("Xvfb")
        for n in range(self.first_display, self.first_display + 60):
            if self._taken(n):
                continue
            r, w = os.pipe()
            logf = open(os.path.join(self.logdir, "xvfb-%d.log" % n), "wb")
            # -displayfd: Xvfb writes the display number once it accepts
            # clients, so readiness is an event, not a guess.
            proc = subprocess.Popen(
                [xvfb, ":%d" % n, "-screen", "0", self.screen, "-nolisten", "tcp",
                 "-noreset", "-displayfd", str(w)],
                stdin=subprocess.DEVNULL, stdout=logf, stderr=logf, pass_fds=(w,),
                start_new_session=True)
            os.close(w)
            logf.close()
            got = b""
            deadline = time.monotonic() + timeout
            while b"\n" not in got and time.monotonic() < deadline:
                ready, _, _ = select.select([r], [], [], 0.2)
                if ready:
                    chunk = os.read(r, 64)
                    if not chunk:
                        break
                    got += chunk
                if proc.poll() is not None:
                    break
            os.close(r)
            if got.strip() == str(n).encode():
                self.display, self.pid, self.proc = ":%d" % n, proc.pid, proc
                log("Xvfb %s (%s) pid %d" % (self.display, self.screen, proc.pid))
                return self
            # Lost a race for that number, or it failed: try the next one.
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        raise HarnessError("could not start Xvfb on any display from :%d" % self.first_display)

    def stop(self):
        stop_pid(self.pid, "Xvfb")
        if self.proc:
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass
        self.pid = None


def stop_pid(pid, needle):
    """Ends one process we started, identified by pid and checked by name."""
    if not pid or not pid_alive(pid, needle):
        return
    os.kill(pid, signal.SIGTERM)
    try:
        wait_until(lambda: not pid_alive(pid, needle), 5, "%s %d to end" % (needle, pid))
    except HarnessError:
        os.kill(pid, signal.SIGKILL)


# ------------------------------------------------------------------ Wine

def win_path(path):
    """Unix path -> the same file through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class BgProbe:
    """A Wine program running in the background; output read from a file."""

    def __init__(self, env, args, name, extra_env=None):
        self.env = env
        self.args = args
        base = os.path.join(env.logdir, "%s-%d" % (name, int(time.monotonic() * 1000)))
        self.out_path = base + ".out"
        self.err_path = base + ".err"
        out = open(self.out_path, "wb")
        err = open(self.err_path, "wb")
        environment = env.environ()
        environment.update(extra_env or {})
        self.proc = subprocess.Popen(args, env=environment, stdin=subprocess.DEVNULL,
                                     stdout=out, stderr=err, cwd=env.root)
        out.close()
        err.close()

    def text(self):
        with open(self.out_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def values(self):
        return parse_kv(self.text())

    def wait_key(self, key, timeout):
        def have():
            v = self.values()
            if key in v:
                return v
            if self.proc.poll() is not None:
                v = self.values()
                if key in v:
                    return v
                raise HarnessError("%s ended (%s) without %s=\n%s%s" % (
                    self.args[1:3], self.proc.returncode, key, self.text(), self.stderr()))
            return None
        return wait_until(have, timeout, "%s= from %s" % (key, " ".join(self.args[1:4])))

    def wait(self, timeout):
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("%s still running after %.0f s\n%s" % (self.args[1:3], timeout, self.text()))
        return self.proc.returncode

    def running(self):
        return self.proc.poll() is None

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


class WineEnv:
    def __init__(self, root, screen=DEFAULT_SCREEN, locale="zh_CN.UTF-8", name="main"):
        self.root = os.path.abspath(root)
        self.name = name
        self.screen = screen
        self.locale = locale
        self.prefix = os.path.join(self.root, "prefix")
        self.logdir = os.path.join(self.root, "logs")
        self.xvfb = None
        self.display = None
        self.xvfb_pid = None
        self.preload = None
        self.locpath = None
        self.probe_exe = None

    # ---- lifetime

    def prepare_host(self):
        os.makedirs(self.logdir, exist_ok=True)
        for tool in ("wine", "wineserver", "Xvfb", "xdotool", "import", "convert"):
            need_tool(tool)
        if wine32_mode() == "qemu":
            self.preload = build_qemu_shim(os.path.join(os.path.dirname(self.root), "qemu-shim"))
        self.locpath = build_locale(os.path.join(os.path.dirname(self.root), "locale"), self.locale)

    def start_x(self):
        self.xvfb = Xvfb(self.screen, logdir=self.logdir).start()
        self.display, self.xvfb_pid = self.xvfb.display, self.xvfb.pid

    def boot(self, timeout=300):
        """Creates the prefix with wineboot and waits for it to settle."""
        t0 = time.monotonic()
        env = self.environ()
        with open(os.path.join(self.logdir, "wineboot.log"), "wb") as logf:
            subprocess.run(["wine", "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                           stdout=logf, stderr=logf, timeout=timeout, check=True)
            subprocess.run(["wineserver", "-w"], env=env, stdout=logf, stderr=logf, timeout=timeout)
        self.boot_seconds = time.monotonic() - t0
        log("wineboot of %s took %.1f s" % (self.prefix, self.boot_seconds))

    def start_server(self, warmup_probe=None):
        """Keeps one wineserver (and Wine's services) up for all scenarios."""
        env = self.environ()
        subprocess.run(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        if warmup_probe:
            t0 = time.monotonic()
            self.probe_exe = warmup_probe
            self.probe(["list"], timeout=120)
            log("first Wine program in %s took %.1f s" % (self.name, time.monotonic() - t0))

    def kill_wine(self):
        if os.path.isdir(self.prefix):
            subprocess.run(["wineserver", "-k"], env=self.environ(), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)

    def teardown(self, remove_prefix=True):
        try:
            self.kill_wine()
        finally:
            if self.xvfb:
                self.xvfb.stop()
            else:
                stop_pid(self.xvfb_pid, "Xvfb")
            # A prefix is over a gigabyte; logs and screenshots stay.
            if remove_prefix:
                shutil.rmtree(self.prefix, ignore_errors=True)

    def state(self):
        return {"root": self.root, "name": self.name, "screen": self.screen, "locale": self.locale,
                "display": self.display, "xvfb_pid": self.xvfb_pid, "preload": self.preload,
                "locpath": self.locpath}

    @classmethod
    def from_state(cls, st):
        env = cls(st["root"], st["screen"], st["locale"], st["name"])
        env.display, env.xvfb_pid = st["display"], st["xvfb_pid"]
        env.preload, env.locpath = st["preload"], st["locpath"]
        return env

    def alive(self):
        return bool(self.xvfb_pid) and pid_alive(self.xvfb_pid, "Xvfb") and os.path.isdir(self.prefix)

    # ---- running things

    def environ(self):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        if self.display:
            env["DISPLAY"] = self.display
        if self.preload:
            env["LD_PRELOAD"] = self.preload
        if self.locpath:
            env["LOCPATH"] = self.locpath
            env["LC_ALL"] = self.locale
        return env

    def x_environ(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def probe(self, args, timeout=60, check=True):
        """Runs the probe to its end; returns its key=value output as a dict."""
        bg = BgProbe(self, ["wine", self.probe_exe] + list(args), "probe-" + args[0])
        try:
            rc = bg.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            bg.stop()
            raise HarnessError("probe %s did not finish in %.0f s" % (" ".join(args), timeout))
        values = bg.values()
        values["_rc"] = rc
        values["_stderr"] = bg.stderr().strip()
        if check and rc != 0:
            raise HarnessError("probe %s failed (%d): %s\n%s" % (" ".join(args), rc, values["_stderr"], bg.text()))
        return values

    def probe_bg(self, args, extra_env=None):
        """The probe in the background; extra_env reaches what it starts too."""
        return BgProbe(self, ["wine", self.probe_exe] + list(args), "probe-" + args[0], extra_env)

    def wine_bg(self, exe, args=(), name="wine", extra_env=None):
        """Starts a Windows program directly with wine (its Unix exit status
        is what Wine reports, e.g. 255 for -1)."""
        return BgProbe(self, ["wine", exe] + list(args), name, extra_env)

    def set_registry(self, key, name, value):
        """Sets a string value in the prefix's registry, or with None removes
        it; each Wine program reads such settings when it starts."""
        if value is None:
            args, check = ["delete", key, "/v", name, "/f"], False
        else:
            args, check = ["add", key, "/v", name, "/d", str(value), "/f"], True
        subprocess.run(["wine", "reg"] + args, env=self.environ(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=check)

    def set_windows_managed(self, exe, managed):
        """Whether Wine hands the windows of programs named like exe to an X
        window manager. Xvfb runs none, so on every hide of a managed window
        Wine waits 2 s for one to answer; long cycle runs switch that off for
        the launcher alone (Wine's own windows keep their looks)."""
        key = "HKCU\\Software\\Wine\\AppDefaults\\%s\\X11 Driver" % os.path.basename(exe)
        self.set_registry(key, "Managed", None if managed else "N")

    def set_mouse_hover_time(self, ms):
        """Wine notices that the pointer left a window (TrackMouseEvent's
        TME_LEAVE) on a timer of the hover time, 400 ms unless set; None
        restores that."""
        self.set_registry("HKCU\\Control Panel\\Mouse", "MouseHoverTime", ms)

    def stage(self, exe, file_name, subdir):
        """Copies exe to <root>/apps/<subdir>/<file_name> (e.g. LAUNCHER.TMP)."""
        d = os.path.join(self.root, "apps", subdir)
        os.makedirs(d, exist_ok=True)
        dest = os.path.join(d, file_name)
        shutil.copy2(exe, dest)
        return dest

    # ---- X side

    def xdotool(self, *args, timeout=20):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.x_environ(),
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        if r.returncode != 0:
            raise HarnessError("xdotool %s failed: %s" % (" ".join(map(str, args)), r.stderr.decode().strip()))
        return r.stdout.decode().strip()

    def x_search_name(self, regex, timeout=20):
        """X windows whose name matches regex (xdotool search --name)."""
        def found():
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", regex], env=self.x_environ(),
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
            ids = [int(x) for x in r.stdout.split()]
            return ids or None
        return wait_until(found, timeout, "an X window named /%s/" % regex)

    def x_focus(self, xid, timeout=10):
        """Gives an X window the keyboard focus.

        Bare Xvfb has no window manager, so `windowactivate` (which asks the
        window manager through _NET_ACTIVE_WINDOW) cannot work; XSetInputFocus
        through `windowfocus` does, and Wine turns the FocusIn into
        activation of that window. Checked, not assumed.
        """
        xid = int(xid)
        self.xdotool("windowfocus", "--sync", xid)
        wait_until(lambda: self.xdotool("getwindowfocus") == str(xid), timeout, "X focus on %d" % xid)

    def x_key(self, *keys):
        """Real key presses through XTEST, to whatever has the focus."""
        self.xdotool("key", "--clearmodifiers", *keys)

    def x_click(self, x, y, button=1):
        self.x_move(x, y)
        self.xdotool("click", button)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", "-display", self.display, path],
                       env=self.x_environ(), check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        return path

    def x_move(self, x, y):
        # --sync waits for the pointer to move, which it never does when it
        # is there already (xdotool then gives up only after many seconds).
        if self.x_pointer() != (int(x), int(y)):
            self.xdotool("mousemove", "--sync", x, y)

    def x_pointer(self):
        v = parse_kv(self.xdotool("getmouselocation", "--shell"))
        return int(v["X"]), int(v["Y"])

    def x_button(self, action, button=1):
        """action: 'mousedown' or 'mouseup'."""
        self.xdotool(action, button)

    def grab(self, x, y, w, h, path):
        """A screenshot of one screen rectangle, kept at path, as an Image."""
        subprocess.run(["import", "-window", "root", "-display", self.display,
                        "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path],
                       env=self.x_environ(), check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        return Image(*self.read_rgb(path), origin=(x, y), path=path)

    def read_rgb(self, png):
        """Decodes a screenshot into (width, height, bytes RGB) via a PPM."""
        r = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], stdout=subprocess.PIPE,
                           check=True, timeout=60)
        data = r.stdout
        # P6 header: magic, width, height, maxval, each separated by whitespace.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            start = pos
            while not data[pos:pos + 1].isspace():
                pos += 1
            fields.append(data[start:pos])
        pos += 1
        if fields[0] != b"P6":
            raise HarnessError("unexpected image format from convert")
        return int(fields[1]), int(fields[2]), data[pos:]


class Image:
    """RGB pixels of a screen rectangle; coordinates are screen coordinates."""

    def __init__(self, width, height, rgb, origin=(0, 0), path=None):
        self.width, self.height, self.rgb = width, height, rgb
        self.ox, self.oy = origin
        self.path = path

    def pixel(self, x, y):
        i = ((y - self.oy) * self.width + (x - self.ox)) * 3
        return tuple(self.rgb[i:i + 3])

    def pixels(self, rect):
        left, top, right, bottom = rect
        for y in range(top, bottom):
            for x in range(left, right):
                yield x, y, self.pixel(x, y)

    def count(self, rect, colour, tolerance=0):
        return sum(1 for _, _, p in self.pixels(rect) if near(p, colour, tolerance))

    def bbox(self, rect, colour, tolerance=0):
        """Bounding box (left, top, right, bottom) of the pixels of colour, or None."""
        xs, ys = [], []
        for x, y, p in self.pixels(rect):
            if near(p, colour, tolerance):
                xs.append(x)
                ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


def near(p, colour, tolerance=0):
    return all(abs(a - b) <= tolerance for a, b in zip(p, colour))


def rect_of(csv):
    return tuple(int(v) for v in csv.split(","))


class Control:
    """One child of the form window as the probe's `state` lists it."""

    def __init__(self, line):
        f = line.split("|")
        self.hwnd = int(f[0], 16)
        self.cls = f[1]
        self.rect = rect_of(f[2])
        self.draws, self.clicks, self.moves, self.dblclks = (int(v) for v in f[3:7])
        self.last_state = int(f[7], 16)
        self.visible = f[8] == "1"
        self.text = "|".join(f[9:])

    def centre(self):
        l, t, r, b = self.rect
        return (l + r) // 2, (t + b) // 2


def controls(state):
    """The form window's children from a `state` snapshot, by window text
    (the browser unit's host, with no text, under its class name)."""
    out = {}
    for i in range(int(state.get("child_count", 0))):
        c = Control(state["child%d" % i])
        out[c.text or c.cls] = c
    return out


# ------------------------------------------------------------------ shared

def state_path(work):
    return os.path.join(os.path.abspath(work), "env", "state.json")


def create_shared(work, probe_exe, screens=(("main", DEFAULT_SCREEN), ("small", "800x600x24")),
                  locale="zh_CN.UTF-8"):
    """Boots one prefix, copies it for every further screen size, starts an
    Xvfb and a persistent wineserver for each; writes state.json."""
    destroy_shared(work)
    base = os.path.join(os.path.abspath(work), "env")
    envs = []
    timings = {}
    try:
        first = None
        for name, screen in screens:
            env = WineEnv(os.path.join(base, name), screen, locale, name)
            if os.path.exists(env.root):
                shutil.rmtree(env.root)
            env.prepare_host()
            env.start_x()
            envs.append(env)
            if first is None:
                env.boot()
                timings["wineboot_s"] = round(env.boot_seconds, 1)
                first = env
            else:
                # Another screen size needs its own wineserver and so its own
                # prefix; a copy of the booted one saves a second wineboot.
                t0 = time.monotonic()
                subprocess.run(["cp", "-a", first.prefix, env.prefix], check=True)
                timings["copy_prefix_s"] = round(time.monotonic() - t0, 1)
            env.start_server(warmup_probe=win_path(probe_exe))
        with open(state_path(work), "w") as f:
            json.dump({"envs": [e.state() for e in envs], "timings": timings}, f, indent=1)
    except BaseException:
        for e in envs:
            e.teardown()
        raise
    return envs, timings


def load_shared(work, name, probe_exe):
    try:
        with open(state_path(work)) as f:
            st = json.load(f)
    except (OSError, ValueError):
        return None
    for s in st.get("envs", []):
        if s["name"] == name:
            env = WineEnv.from_state(s)
            env.probe_exe = win_path(probe_exe)
            return env if env.alive() else None
    return None


def destroy_shared(work):
    p = state_path(work)
    try:
        with open(p) as f:
            st = json.load(f)
    except (OSError, ValueError):
        return
    for s in st.get("envs", []):
        try:
            WineEnv.from_state(s).teardown()
        except Exception as e:  # keep tearing down the others
            log("teardown of %s: %s" % (s.get("name"), e))
    os.remove(p)


class private_env:
    """Context manager: an environment of its own for one scenario run."""

    def __init__(self, work, name, screen, probe_exe, locale="zh_CN.UTF-8"):
        self.env = WineEnv(os.path.join(os.path.abspath(work), "private", name), screen, locale, name)
        self.probe_exe = probe_exe

    def __enter__(self):
        env = self.env
        if os.path.exists(env.root):
            shutil.rmtree(env.root)
        try:
            env.prepare_host()
            env.start_x()
            env.boot()
            env.start_server(warmup_probe=win_path(self.probe_exe))
        except BaseException:
            env.teardown()
            raise
        return env

    def __exit__(self, *exc):
        self.env.teardown()
        return False


# ------------------------------------------------------------------ scenarios

SKIP = 77


class Failure(Exception):
    pass


def check(cond, msg):
    if not cond:
        raise Failure(msg)


def equal(actual, expected, what):
    check(actual == expected, "%s: expected %r, got %r" % (what, expected, actual))


# Heaps grow in steps of their own; a leak of 1 KiB a round over half a long
# run (500 rounds and more) goes past this.
PRIVATE_BYTES_SLACK = 256 * 1024


def process_counts(env, pid):
    """What this platform counts of a process's objects: GDI and USER objects
    (Wine reports 0 for both), kernel handles and private bytes."""
    v = env.probe(["counts", str(pid)], timeout=120)
    return {k: int(v.get(k, "-1")) for k in ("gui_gdi", "gui_user", "kernel_handles", "private_bytes")}


def check_counts_kept(start, middle, end, what, heap=True):
    """Counts taken at the start, the middle and the end of a long run: the
    objects the same at all three. With heap, private bytes must not grow in
    the second half: Wine's own heaps grow by some megabytes over the first
    few hundred hide-and-restore cycles of any program, then stay."""
    log("%s: object counts at the start %s, half-way %s, at the end %s" % (what, start, middle, end))
    check(min(start["kernel_handles"], start["private_bytes"]) > 0, "kernel handles or private bytes not counted")
    if (start["gui_gdi"], start["gui_user"], end["gui_gdi"], end["gui_user"]) == (0, 0, 0, 0):
        log("Wine reports 0 GDI and 0 USER objects for the process: those are not counted here")
    else:
        equal((end["gui_gdi"], end["gui_user"]), (start["gui_gdi"], start["gui_user"]),
              "GDI and USER objects after %s" % what)
    equal((middle["kernel_handles"], end["kernel_handles"]), (start["kernel_handles"],) * 2,
          "kernel handles half-way through and after %s" % what)
    if heap:
        grown = end["private_bytes"] - middle["private_bytes"]
        check(grown <= PRIVATE_BYTES_SLACK, "private bytes grew by %d in the second half of %s" % (grown, what))


class Skip(Exception):
    pass


class Run:
    """Everything one scenario starts, so that it can all be ended."""

    def __init__(self, env, args):
        self.env = env
        self.args = args
        self.supervisors = []
        self.helpers = []

    def start(self, exe=None, watch=False, timeout_s=300, extra_env=None):
        """Starts the launcher under a probe that reports its exit code (and
        gives up on it after timeout_s); extra_env is added to its environment."""
        exe = exe or self.args.exe
        opts = ["run", "--timeout", str(int(timeout_s * 1000))] + (["--watch"] if watch else [])
        sup = self.env.probe_bg(opts + [win_path(exe)], extra_env)
        self.supervisors.append(sup)
        sup.pid = int(sup.wait_key("pid", 60)["pid"])
        return sup

    def wait_window(self, sup, timeout_ms=30000):
        return self.env.probe(["wait-window", str(sup.pid), str(timeout_ms)], timeout=timeout_ms / 1000 + 30)

    def exit_code(self, sup, timeout=30):
        v = sup.wait_key("exit_code", timeout)
        return int(v["exit_code"])

    def focus_form(self, sup):
        w = self.wait_window(sup)
        xid = int(w["x11_window"])
        check(xid != 0, "the form window has no X11 window")
        self.env.x_focus(xid)
        return w

    def key_watch(self, sup, vk, keys, grace_ms=2000):
        """Sends real keys once the probe watches vk inside the launcher;
        returns what the launcher's message loop got and whether it ended."""
        kw = self.env.probe_bg(["key-watch", "--timeout", "15000", "--grace", str(grace_ms), str(sup.pid), str(vk)])
        kw.wait_key("ready", 60)
        self.env.x_key(*keys)
        if kw.wait(60) != 0:
            raise Failure("key-watch for %s: %s\n%s" % (" ".join(keys), kw.stderr().strip(), kw.text()))
        return kw.values()

    def helper(self, args):
        """A probe in the background for the scenario's length (e.g. a window
        of its own); ended at clean-up."""
        bg = self.env.probe_bg(args)
        self.helpers.append(bg)
        return bg

    def cleanup(self):
        for bg in self.helpers:
            bg.stop()
        for sup in self.supervisors:
            # A supervisor that gave up may leave its launcher running.
            if getattr(sup, "pid", None) and (sup.running() or "exit_code" not in sup.values()):
                try:
                    self.env.probe(["kill", str(sup.pid)], timeout=60, check=False)
                except HarnessError as e:
                    log("cleanup: %s" % e)
            try:
                sup.wait(30)
            except HarnessError:
                sup.stop()


def print_facts(title, values, keys=None):
    log("%s: %s" % (title, ", ".join("%s=%s" % (k, values[k]) for k in (keys or sorted(values))
                                     if k in values and not k.startswith("_"))))


def scenario_main(doc, scenarios, screens):
    """Command line of a scenario script: <scenario>|setup|cleanup|list."""
    ap = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("scenario", choices=sorted(scenarios) + ["setup", "cleanup", "list"])
    ap.add_argument("--exe", help="the launcher (Launcher.exe)")
    ap.add_argument("--bad-exe", help="a launcher that meets a malformed form description")
    ap.add_argument("--probe", help="launcher_probe.exe (korv_probe_hook.dll beside it)")
    ap.add_argument("--work", default="e2e-work", help="directory for prefixes, logs, screenshots")
    ap.add_argument("--locale", default="zh_CN.UTF-8", help="locale Wine runs in (its ANSI code page)")
    ap.add_argument("--private", action="store_true", help="never reuse the shared environment")
    args = ap.parse_args()

    # A CTest time-out ends us with SIGTERM: still tear down what we started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(3))

    if args.scenario == "list":
        for name, (fn, screen) in sorted(scenarios.items()):
            print("%-22s %-5s %s" % (name, screen, fn.__doc__.strip().splitlines()[0]))
        return 0
    if args.scenario == "cleanup":
        destroy_shared(args.work)
        return 0
    if not args.probe:
        ap.error("--probe is required")
    os.makedirs(args.work, exist_ok=True)
    t0 = time.monotonic()
    try:
        if args.scenario == "setup":
            _, timings = create_shared(args.work, args.probe, tuple(screens.items()), args.locale)
            log("shared environments ready in %.1f s %s" % (time.monotonic() - t0, timings))
            return 0
        if not args.exe:
            ap.error("--exe is required")
        fn, screen_name = scenarios[args.scenario]
        env = None if args.private else load_shared(args.work, screen_name, args.probe)
        if env:
            return run_scenario(fn, env, args, t0)
        with private_env(args.work, args.scenario, screens[screen_name], args.probe, args.locale) as env:
            return run_scenario(fn, env, args, t0)
    except HarnessError as e:
        log("ERROR %s: %s" % (args.scenario, e))
        return 2


def run_scenario(fn, env, args, t0):
    run = Run(env, args)
    t1 = time.monotonic()
    try:
        fn(run)
    except Failure as e:
        log("FAIL %s: %s" % (args.scenario, e))
        return 1
    except Skip as e:
        log("SKIP %s: %s" % (args.scenario, e))
        return SKIP
    finally:
        run.cleanup()
    log("PASS %s in %.1f s (%.1f s with environment)" % (args.scenario, time.monotonic() - t1, time.monotonic() - t0))
    return 0
