#!/usr/bin/env python3
"""Runs html_viewer_probe.exe under Wine against a loopback HTTP server.

The server answers every GET with a small page titled after its path and appends each request path to a log file,
one line each, which the probe reads (through Wine's Z: drive) to wait for
what reached the network. A second server on port 80, when it can be had,
stands for a bare host name and logs "bare /path". Without a DISPLAY the
probe gets an Xvfb screen of its own.

    run_probe.py --probe build/mingw-release/tests/gameview/html_viewer_probe.exe
"""

import argparse
import http.server
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import threading


class LoggingHandler(http.server.BaseHTTPRequestHandler):
    log_path = None
    prefix = ""

    def do_GET(self):
        with open(self.log_path, "a", encoding="latin-1") as log:
            log.write(self.prefix + self.path + "\n")
        body = ("<html><head><title>page %s</title></head><body>%s</body></html>" % (self.path, self.path)).encode(
            "latin-1", "replace")
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def start_screen():
    """An Xvfb display of our own; returns (process, display)."""
    read_end, write_end = os.pipe()
    screen = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    return screen, ":" + number


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    parser.add_argument("--prefix", default=os.environ.get("WINEPREFIX"),
                        help="Wine prefix to use; a fresh one under the probe's folder by default")
    parser.add_argument("--timeout", type=int, default=540)
    parser.add_argument("--work", help="the end-to-end tests' folder, whose shared Wine environment is used")
    parser.add_argument("--launcher-probe", help="the end-to-end probe, for that environment")
    options = parser.parse_args()

    probe = pathlib.Path(options.probe).resolve()
    work = pathlib.Path(tempfile.mkdtemp(prefix="gameview-probe-"))
    LoggingHandler.log_path = str(work / "requests.log")
    pathlib.Path(LoggingHandler.log_path).touch()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), LoggingHandler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # A bare host name means port 80; listen there too when allowed, logging "bare /path".
    bare_host = "-"
    try:
        bare = http.server.ThreadingHTTPServer(("127.0.0.1", 80), type("BareHandler", (LoggingHandler,), {"prefix": "bare "}))
        threading.Thread(target=bare.serve_forever, daemon=True).start()
        bare_host = "localhost"
    except OSError:
        bare = None

    shared = None
    if options.work and options.launcher_probe:
        sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
        import harness
        shared = harness.load_shared(options.work, "main", options.launcher_probe)
    environment = shared.environ() if shared is not None else dict(os.environ)
    if shared is None:
        environment["WINEPREFIX"] = options.prefix or str(probe.parent / "wine-prefix")
    environment.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    environment.setdefault("WINEDEBUG", "-all")
    screen = None
    if not environment.get("DISPLAY"):
        screen, environment["DISPLAY"] = start_screen()
    try:
        windows_log = "Z:" + LoggingHandler.log_path.replace("/", "\\")
        # Output to a file, not a pipe: Wine's services may inherit and hold a pipe open.
        output_path = work / "probe-output.txt"
        with open(output_path, "wb") as output:
            run = subprocess.Popen(["wine", str(probe), str(server.server_address[1]), windows_log, bare_host],
                                   env=environment, stdout=output, stderr=subprocess.STDOUT)
            try:
                status = run.wait(timeout=options.timeout)
            except subprocess.TimeoutExpired:
                run.kill()
                status = None
        sys.stdout.write(output_path.read_text("utf-8", "replace"))
        print("requests: " + ", ".join(pathlib.Path(LoggingHandler.log_path).read_text("latin-1").split()))
        if status is None:
            print("the probe did not finish in %d s" % options.timeout)
            return 1
        return status
    finally:
        server.shutdown()
        if bare is not None:
            bare.shutdown()
        if screen is not None:
            screen.terminate()
            screen.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
