#!/bin/sh
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# Builds the fuzz target with clang, replays every input that once failed,
# then fuzzes for a bounded time. Exits non-zero on any failure.
#   fuzz/run.sh <build folder> <seconds> [more libFuzzer options]
# The working corpus lives in the build folder and grows from run to run;
# it starts from the seeds in fuzz/corpus/ and the fixtures in tests/data/.
set -eu

[ $# -ge 2 ] || { echo "usage: $0 <build folder> <seconds> [libFuzzer options]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$1
seconds=$2
shift 2

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
fuzzer=$build/fuzz_wineregistry

# Each file in regressions/ once made the target fail; they must all pass now.
if [ -n "$(ls -A "$here/regressions" 2>/dev/null)" ]; then
    "$fuzzer" "$here"/regressions/* || {
        echo "An input in fuzz/regressions/ fails again." >&2
        exit 1
    }
fi

mkdir -p "$build/corpus" "$build/crashes"
cp "$here"/corpus/* "$root"/tests/data/*.reg "$build/corpus/"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$here/wineregistry.dict" -artifact_prefix="$build/crashes/" "$@" \
    "$build/corpus" || status=$?
if [ "$status" -ne 0 ]; then
    echo "The fuzzer found a failing input (saved in $build/crashes/)." >&2
    echo "Fix the fault, then add the input to fuzz/regressions/ so every run replays it." >&2
fi
exit "$status"
