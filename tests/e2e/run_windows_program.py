#!/usr/bin/env python3
"""Runs one Windows test program in the shared Wine environment (or in one
of its own when there is none) and passes on its output and exit status."""
import argparse
import os
import sys

import harness


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--timeout", type=float, default=600)
    args = parser.parse_args()

    def run(env):
        job = env.wine_bg(args.program, name=os.path.basename(args.program))
        rc = job.wait(args.timeout)
        sys.stdout.write(job.text())
        return rc

    env = harness.load_shared(args.work, "main", args.probe)
    if env is not None:
        return run(env)
    with harness.private_env(args.work, "windows-program", harness.DEFAULT_SCREEN, args.probe) as env:
        return run(env)


if __name__ == "__main__":
    sys.exit(main())
