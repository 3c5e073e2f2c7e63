#!/usr/bin/env python3
"""Starts the launcher under Wine for a person to use.

With a DISPLAY it runs there, in a Wine prefix under build/ that is kept
between runs. Without one it gets an Xvfb screen of its own, waits for the
window, saves a screenshot and closes the launcher again.
"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def save_settled_screenshot(env, path, timeout=15):
    """The window paints its units just after it shows: keep taking shots
    until two in a row are the same, so the one kept shows them."""
    previous = None
    deadline = time.monotonic() + timeout
    while True:
        env.screenshot(path)
        with open(path, "rb") as shot:
            current = shot.read()
        if current == previous or time.monotonic() > deadline:
            return
        previous = current
        time.sleep(0.5)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--root", required=True, help="folder for the Wine prefix")
    parser.add_argument("--screenshot", required=True)
    args = parser.parse_args()

    env = harness.WineEnv(os.path.join(args.root, "main"))
    env.prepare_host()
    headless = not os.environ.get("DISPLAY")
    if headless:
        env.start_x()
    else:
        env.display = os.environ["DISPLAY"]
    try:
        if not os.path.isdir(env.prefix):
            env.boot()
        env.probe_exe = args.probe
        if not headless:
            return subprocess.call(["wine", args.exe], env=env.environ())
        run = env.probe_bg(["run", args.exe])
        pid = run.wait_key("pid", 120)["pid"]
        env.probe(["wait-window", pid, "120000"], timeout=180)
        save_settled_screenshot(env, args.screenshot)
        print("screenshot: %s" % args.screenshot)
        env.probe(["post-close", pid], timeout=60)
        run.wait(120)
        return 0
    finally:
        if headless:
            env.teardown(remove_prefix=False)


if __name__ == "__main__":
    sys.exit(main())
