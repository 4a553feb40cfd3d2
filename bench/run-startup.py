#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
"""Start-up cost of tarnwick over a bare Qt window with the same form.

Usage: run-startup.py [BUILD_DIR] [--runs N]

In a private Xvfb, starts tarnwick (on a Wine prefix holding a realistic
8 MiB user.reg, the game's key near its end) and bench/barewindow in turn,
N times each, alternating which goes first. For each start, bench/timetomap
measures the time until the window is mapped and the peak resident memory.
Prints the medians and tarnwick's ratio to the bare window for both; the
target is at most 1.05x.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
import xvfb  # noqa: E402

TARGET_RATIO = 1.05
LARGE_KEYS = 20000  # about 8 MiB, as a long-used prefix can grow
WARM_UP_RUNS = 3    # fill the page cache and the font cache before measuring


def measure(timetomap, program, env):
    result = subprocess.run([timetomap, program], env=env, capture_output=True, text=True,
                            timeout=60)
    if result.returncode != 0:
        raise SystemExit("%s: %s" % (os.path.basename(program), result.stderr.strip()))
    microseconds, kib = result.stdout.split()
    return int(microseconds) / 1000.0, int(kib) / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=os.path.join(SOURCE, "build"),
                        help="a configured and built build folder (default: build)")
    parser.add_argument("--runs", type=int, default=30, help="starts of each program")
    args = parser.parse_args()

    tarnwick = os.path.join(args.build, "tarnwick")
    bare = os.path.join(args.build, "bench", "barewindow")
    timetomap = os.path.join(args.build, "bench", "timetomap")
    for path in (tarnwick, bare, timetomap):
        if not os.access(path, os.X_OK):
            raise SystemExit("%s is missing; build first (make build)" % path)

    with tempfile.TemporaryDirectory(prefix="tarnwick-bench-") as prefix, xvfb.Xvfb() as server:
        user_reg = os.path.join(prefix, "user.reg")
        data = os.path.join(SOURCE, "tests", "data")
        subprocess.run([sys.executable, os.path.join(data, "recipe", "make-large.py"),
                        os.path.join(data, "user-found.reg"), str(LARGE_KEYS), user_reg],
                       check=True)
        env = server.environment(WINEPREFIX=prefix)
        programs = {"tarnwick": tarnwick, "bare window": bare}
        print("start-up to a mapped window, %d runs each, user.reg of %.1f MiB"
              % (args.runs, os.path.getsize(user_reg) / 2**20), flush=True)

        for _ in range(WARM_UP_RUNS):
            for program in programs.values():
                measure(timetomap, program, env)
        samples = {name: [] for name in programs}
        for run in range(args.runs):
            # alternate the order so that neither always follows the other
            order = list(programs) if run % 2 == 0 else list(reversed(programs))
            for name in order:
                samples[name].append(measure(timetomap, programs[name], env))

    medians = {name: (statistics.median(s[0] for s in runs), statistics.median(s[1] for s in runs))
               for name, runs in samples.items()}
    for name, (ms, mib) in medians.items():
        print("  %-12s median %7.1f ms to map   median peak memory %6.1f MiB" % (name, ms, mib))
    for what, index in (("time to map", 0), ("peak memory", 1)):
        ratio = medians["tarnwick"][index] / medians["bare window"][index]
        verdict = "within" if ratio <= TARGET_RATIO else "OVER"
        print("  ratio %-12s %.3fx  (%s the %.2fx target)" % (what, ratio, verdict, TARGET_RATIO))


if __name__ == "__main__":
    main()
