#!/bin/sh
# Prints what the pop-up trigger costs, beside the floor of its design (a
# minimal Qt widgets program with an empty 10 ms timer, built here):
#   - idle CPU over 30 s with the trigger on, in percent of one core;
#   - resident memory before and after the first show;
#   - latency from the chord's right-button press to the panel mapped and
#     painted, median and worst of 20 (the floor: from a signal instead).
# Runs on its own Xvfb with openbox, with HOME and XDG folders in a
# temporary directory. Usage: scripts/bench-trigger.sh [idle seconds]
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ZARVEL_ROOT/scripts/lib.sh"
IDLE_SECONDS=${1:-30}
ROUNDS=20

ensure_packages $BUILD_PACKAGES $TEST_PACKAGES
mkdir -p "$ZARVEL_ROOT/build"
BUILD="$ZARVEL_ROOT/build/bench"
configure_and_build "$BUILD" -DZARVEL_BUILD_TESTS=OFF

WORK=$(mktemp -d /tmp/zarvel-bench-XXXXXX)
PIDS=""
cleanup() {
    for pid in $PIDS; do kill "$pid" 2>/dev/null || true; done
    sleep 0.3
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# shellcheck disable=SC2046
g++ -std=c++17 -O2 -fPIC "$ZARVEL_ROOT/scripts/bench/floor.cpp" -o "$WORK/floor" \
    $(pkg-config --cflags --libs Qt5Widgets)
gcc -O2 "$ZARVEL_ROOT/scripts/bench/probe.c" -o "$WORK/probe" -lX11 -lXtst -lXdamage

export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share" \
    XDG_CACHE_HOME="$WORK/home/.cache" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# Xvfb picks a free display and writes its number once it is ready.
mkfifo "$WORK/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/displayfd" 2>/dev/null &
PIDS="$!"
read -r number <"$WORK/displayfd"
export DISPLAY=":$number"

cat >"$WORK/openbox.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <mouse>
    <context name="Frame">
      <mousebind button="A-Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="A-Right" action="Drag"><action name="Resize"/></mousebind>
    </context>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
XML
openbox --config-file "$WORK/openbox.xml" >/dev/null 2>&1 &
PIDS="$! $PIDS"
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do sleep 0.1; done

cd "$WORK/home"
"$BUILD/Zarvel" -checkupdate >"$WORK/zarvel.log" 2>&1 &
ZARVEL=$!
"$WORK/floor" >"$WORK/floor.log" 2>&1 &
FLOOR=$!
PIDS="$ZARVEL $FLOOR $PIDS"

window_of() { # pid name
    for _ in $(seq 100); do
        id=$(xdotool search --pid "$1" --name "^$2\$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "no window $2 of process $1" >&2
    return 1
}
PANEL=$(window_of "$ZARVEL" MainWindow)
FLOOR_WINDOW=$(window_of "$FLOOR" Floor)
sleep 2

rss() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

zarvel_rss_before=$(rss "$ZARVEL")
floor_rss_before=$(rss "$FLOOR")

echo "Measuring idle CPU for $IDLE_SECONDS s ..."
ticks_per_second=$(getconf CLK_TCK)
zarvel_ticks=$(cpu_ticks "$ZARVEL")
floor_ticks=$(cpu_ticks "$FLOOR")
sleep "$IDLE_SECONDS"
zarvel_cpu=$(echo "$(cpu_ticks "$ZARVEL") $zarvel_ticks $ticks_per_second $IDLE_SECONDS" |
    awk '{ printf "%.2f", ($1 - $2) / $3 / $4 * 100 }')
floor_cpu=$(echo "$(cpu_ticks "$FLOOR") $floor_ticks $ticks_per_second $IDLE_SECONDS" |
    awk '{ printf "%.2f", ($1 - $2) / $3 / $4 * 100 }')

echo "Measuring $ROUNDS shows each ..."
"$WORK/probe" "$PANEL" chord 1 >/dev/null
"$WORK/probe" "$FLOOR_WINDOW" "$FLOOR" 1 >/dev/null
zarvel_rss_after=$(rss "$ZARVEL")
floor_rss_after=$(rss "$FLOOR")
zarvel_latency=$("$WORK/probe" "$PANEL" chord "$ROUNDS")
floor_latency=$("$WORK/probe" "$FLOOR_WINDOW" "$FLOOR" "$ROUNDS")

kill -0 "$ZARVEL" 2>/dev/null || { echo "Zarvel ended during the benchmark:" >&2; cat "$WORK/zarvel.log" >&2; exit 1; }

printf '\n%-36s %12s %12s\n' "" "Zarvel" "floor"
printf '%-36s %12s %12s\n' "idle CPU, % of one core" "$zarvel_cpu" "$floor_cpu"
printf '%-36s %12s %12s\n' "resident memory before show, MB" "$zarvel_rss_before" "$floor_rss_before"
printf '%-36s %12s %12s\n' "resident memory after first show, MB" "$zarvel_rss_after" "$floor_rss_after"
echo "$zarvel_latency $floor_latency" | awk '{
    printf "%-36s %12s %12s\n", "trigger to mapped, median ms", $2, $8
    printf "%-36s %12s %12s\n", "trigger to mapped, worst ms", $3, $9
    printf "%-36s %12s %12s\n", "trigger to painted, median ms", $5, $11
    printf "%-36s %12s %12s\n", "trigger to painted, worst ms", $6, $12 }'
echo "(Zarvel: from the chord's right-button press; floor: from a signal its 10 ms timer reads.)"
