#!/bin/bash
# Prints what the native Wayland panel costs on a headless sway
# (tests/wayland/sway.config: three outputs, the third at scale 2):
# - the chord to the painted panel: the right button's press (Alt held) as
#   the compositor gets it, to the panel host's first commit of a drawn
#   buffer to its layer surface, read from the host's own protocol log
#   (WAYLAND_DEBUG); median and worst of BENCH_SHOWS rounds (500), the first
#   show included and also said apart, each at a new place, each hidden
#   again by Escape;
# - the private memory (USS: Private_Clean + Private_Dirty) and PSS of the
#   panel host and of the main process, after the first show and after the
#   last.
# It builds the program and the tests' input client in build/bench-wayland
# and runs as an unprivileged user when started by root (sway refuses root).
# It only prints figures.
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ZARVEL_ROOT/scripts/lib.sh"
SHOWS=${BENCH_SHOWS:-500}

# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $TEST_PACKAGES
BUILD="${BENCH_BUILD:-$ZARVEL_ROOT/build/bench-wayland}"
mkdir -p "$BUILD"
echo "Building the program and the input client in $BUILD ..."
cmake -S "$ZARVEL_ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVEL_BUTTON_COUNT=12 >"$BUILD.configure.log" 2>&1 ||
    { cat "$BUILD.configure.log"; exit 1; }
cmake --build "$BUILD" --parallel "$(nproc)" --target Zarvel virtualinput >"$BUILD.build.log" 2>&1 ||
    { cat "$BUILD.build.log"; exit 1; }

WORK=$(mktemp -d /tmp/zarvel-bench-wayland-XXXXXX)
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime" ZARVEL_BINARY="$BUILD/Zarvel" ZARVEL_NO_AUTOSTART=1
unset DISPLAY WAYLAND_DISPLAY XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
AS_USER=""
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534 "$WORK"
    chmod 755 "$WORK"
    AS_USER="setpriv --reuid=65534 --regid=65534 --clear-groups --"
fi
chmod 700 "$XDG_RUNTIME_DIR"
PIDS=""
cleanup() {
    for pid in $PIDS; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    $AS_USER sway -c "$ZARVEL_ROOT/tests/wayland/sway.config" >"$WORK/sway.log" 2>&1 &
PIDS="$!"
for _ in $(seq 200); do [ -s "$HOME/display" ] && break; sleep 0.1; done
[ -s "$HOME/display" ] || { echo "sway did not start:"; cat "$WORK/sway.log"; exit 1; }
WAYLAND_DISPLAY=$(cat "$HOME/display")
export WAYLAND_DISPLAY
# The pointer is there before Zarvel starts, as on a desktop: the seat
# has one once it has moved.
coproc INPUT { $AS_USER "$BUILD/tests/virtualinput"; }
PIDS="$INPUT_PID $PIDS"
send() { echo "$1" >&"${INPUT[1]}" && read -r answer <&"${INPUT[0]}" && [ "$answer" = ok ]; }
send "move 640 360 3200 720"
# The host inherits the protocol log; the main process is a Wayland client
# too, as in a session without XWayland.
WAYLAND_DEBUG=client $AS_USER "$ZARVEL_BINARY" -checkupdate >/dev/null 2>>"$WORK/zarvel.log" &
MAIN=$!
PIDS="$MAIN $PIDS"
for _ in $(seq 200); do grep -q 'zwlr_layer_shell_v1' "$WORK/zarvel.log" 2>/dev/null && break; sleep 0.1; done
sleep 1
HOST=$(pgrep -P "$MAIN" | head -1)
memory() { # USS and PSS in kB of the host and the main process
    for pid in "$HOST" "$MAIN"; do
        awk '/^Pss:/ { p = $2 } /^Private_(Clean|Dirty):/ { u += $2 } END { printf " %d %d", u, p }' "/proc/$pid/smaps_rollup"
    done
}

# The protocol log stamps the wall clock in milliseconds, from microseconds
# kept modulo 2^32.
TIMES=""
for round in $(seq "$SHOWS"); do
    x=$((100 + (round * 97) % 1000)) y=$((100 + (round * 53) % 500))
    send "move $x $y 3200 720;key 56 1 8"
    offset=$(wc -c <"$WORK/zarvel.log")
    start=$(date +%s%N)
    send "button 273 1;button 273 0;key 56 0 0"
    painted=""
    for _ in $(seq 1000); do
        painted=$(tail -c +$((offset + 1)) "$WORK/zarvel.log" | awk '
            /get_layer_surface\(.*"zarvel-panel"\)/ { match($0, /wl_surface@[0-9]+/); s = substr($0, RSTART, RLENGTH) }
            s != "" && index($0, s ".attach(") { drawn = 1 }
            drawn && index($0, s ".commit()") { match($0, /[0-9]+\.[0-9]+/); print substr($0, RSTART, RLENGTH); exit }')
        [ -n "$painted" ] && break
        sleep 0.01
    done
    [ -n "$painted" ] || { echo "round $round: the panel was not painted"; continue; }
    TIMES="$TIMES $(awk -v s="$start" -v p="$painted" 'BEGIN {
        d = p - (int(s / 1000) % 4294967296) / 1000; if (d < 0) d += 4294967.296; printf "%.1f", d }')"
    send "key 1 1 0;key 1 0 0"
    for _ in $(seq 1000); do
        tail -c +$((offset + 1)) "$WORK/zarvel.log" | grep -q 'zwlr_layer_surface_v1@[0-9]*\.destroy()' && break
        sleep 0.01
    done
    if [ "$round" -eq 1 ]; then FIRST=$(memory); fi
    # Kept short: each round reads it from its own start.
    if [ $((round % 50)) -eq 0 ]; then : >"$WORK/zarvel.log"; fi
done
LAST=$(memory)
echo "$FIRST $LAST" | awk -v n="$SHOWS" '{
    printf "Memory (kB)           host USS   host PSS   main USS   main PSS\n"
    printf "after the first show  %8d   %8d   %8d   %8d\n", $1, $2, $3, $4
    printf "after %4d shows       %8d   %8d   %8d   %8d\n", n, $5, $6, $7, $8 }'
echo "$TIMES" | awk '{ if (NF) printf "First show: %.1f ms\n", $1 }'
echo "$TIMES" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '
    { t[NR] = $1 }
    END {
        if (NR == 0) { print "no round painted the panel"; exit }
        m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
        printf "Chord to painted panel, %d rounds, the first included: median %.1f ms, worst %.1f ms\n", NR, m, t[NR]
    }'
echo "Load average (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"
