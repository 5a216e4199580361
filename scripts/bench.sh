#!/bin/sh
# Builds the 20-button program with the benchmark (scripts/bench/, -DZARVEL_BUILD_BENCHMARKS=ON) and runs it: what
# Zarvel costs beside a Qt tool of the same parts, and Zarvel's own latencies, on a private X server in a throw-away
# HOME. It prints figures and never fails on one; the programs' messages go to build/bench.log.
# Usage: scripts/bench.sh [idle seconds (30)]; BENCH_QUICK=1 makes a run of a few minutes with few rounds.
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ZARVEL_ROOT/scripts/lib.sh"
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $TEST_PACKAGES
BUILD="$ZARVEL_ROOT/build/bench"
mkdir -p "$BUILD"
echo "Building the 20-button program and the benchmark in $BUILD ..."
{ cmake -S "$ZARVEL_ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVEL_BUTTON_COUNT=20 -DZARVEL_BUILD_TESTS=ON \
    -DZARVEL_BUILD_BENCHMARKS=ON && cmake --build "$BUILD" --parallel "$(nproc)" --target bench-zarvel; } \
    >"$BUILD.log" 2>&1 || { cat "$BUILD.log"; exit 1; }
# The benchmark lays a panel out to find its buttons: on an X server of its own, beside the one it measures on.
xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/scripts/bench/bench-zarvel" "$@" 2>"$BUILD.log" ||
    { tail -n 20 "$BUILD.log" >&2; exit 1; }
