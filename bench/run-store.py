#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
"""The settings store's read and write on large user.reg files.

Usage: run-store.py [BUILD_DIR]

Grows tests/data/user-found.reg to about 1, 16 and 64 MiB (the game's key
near the end, where a front-to-back scan finds it last) in a temporary folder,
then runs bench/storebench on them. For each size it prints the medians of a
store's read against reading the file once (target at most 1.0x) and of a
store's write against a plain copy with fsync and rename (target at most 1.5x),
and the throughput in MiB/s, which should stay flat as the file grows.
"""
import argparse
import os
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = [("1 MiB", 2500), ("16 MiB", 40000), ("64 MiB", 160000)]  # generated keys


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=os.path.join(SOURCE, "build"),
                        help="a configured and built build folder (default: build)")
    args = parser.parse_args()

    storebench = os.path.join(args.build, "bench", "storebench")
    if not os.access(storebench, os.X_OK):
        raise SystemExit("%s is missing; build first (make build)" % storebench)

    data = os.path.join(SOURCE, "tests", "data")
    with tempfile.TemporaryDirectory(prefix="tarnwick-bench-") as folder:
        files = []
        for name, keys in SIZES:
            path = os.path.join(folder, "user-%s.reg" % name.replace(" ", ""))
            subprocess.run([sys.executable, os.path.join(data, "recipe", "make-large.py"),
                            os.path.join(data, "user-found.reg"), str(keys), path], check=True)
            files.append(path)
        subprocess.run([storebench] + files, check=True)


if __name__ == "__main__":
    main()
