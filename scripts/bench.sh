#!/bin/sh
# Prints what Zarvel costs and whether it meets its performance targets.
# Side by side with a minimal Qt widgets program (an empty 10 ms timer and a
# panel-sized window, the floor of Zarvel's design) and jgmenu (a native
# X11 menu that opens at the pointer), on the same X server in one run:
# start to ready, resident memory, idle CPU, trigger to painted window.
# Then Zarvel alone: its idle mode (--no-poll), `Zarvel --show`, huge icons,
# the panel's redraw and its memory over many redraws, a 5 MB title, a
# keystroke in the settings editor on 8,020 buttons, and how long a click on
# each kind of target holds the panel's thread (also with an opener that
# hangs).
#
# It builds the 20-button ("Deluxe") program with the programs of
# scripts/bench/ and runs everything on its own Xvfb with openbox and a
# trayer system tray, with HOME and the XDG folders in a temporary
# directory. It prints figures and whether each target is met; it never
# fails on a figure.
#
# Usage: scripts/bench.sh [idle seconds (30)]
# Environment: BENCH_QUICK=1 (a run of a few minutes with few rounds),
# BENCH_STARTS (starts per program, 15), BENCH_SHOWS (trigger rounds, 20),
# BENCH_REDRAWS (in-process panel redraws, 1000), BENCH_KEYSTROKES (per
# field and level, 200), BENCH_LAUNCHES (clicks per kind of target, 50),
# BENCH_KEEP (set: keep the temporary directory with the programs' logs).
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ZARVEL_ROOT/scripts/lib.sh"
if [ -n "${BENCH_QUICK:-}" ]; then
    set -- "${1:-5}" 3 5 200 20 5 1
else
    set -- "${1:-30}" 15 20 1000 200 50 3
fi
IDLE_SECONDS=$1
STARTS=${BENCH_STARTS:-$2}
SHOWS=${BENCH_SHOWS:-$3}
REDRAWS=${BENCH_REDRAWS:-$4}
KEYSTROKES=${BENCH_KEYSTROKES:-$5}
LAUNCHES=${BENCH_LAUNCHES:-$6}
HANGS=$7

# ---------------------------------------------------------------- build
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $TEST_PACKAGES $BENCH_PACKAGES
mkdir -p "$ZARVEL_ROOT/build"
BUILD="$ZARVEL_ROOT/build/bench"
echo "Building the 20-button program and the benchmark programs in $BUILD ..."
configure_and_build "$BUILD" -DZARVEL_BUTTON_COUNT=20 -DZARVEL_BUILD_TESTS=OFF -DZARVEL_BUILD_BENCHMARKS=ON
ZARVEL="$BUILD/Zarvel"
BENCH="$BUILD/scripts/bench"
PROBE="$BENCH/bench-probe"
FLOOR="$BENCH/bench-floor"

# Other work on the machine shows in every figure; the load says how much.
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)

# ---------------------------------------------------------------- sandbox
WORK=$(mktemp -d /tmp/zarvel-bench-XXXXXX)
PIDS=""
# Ends processes this script started, and reaps them, so that their ids
# cannot have gone to anything else meanwhile. jgmenu ignores SIGTERM while
# its menu is hidden, hence the SIGKILL after a second.
stop() {
    for pid in "$@"; do kill "$pid" 2>/dev/null || true; done
    for pid in "$@"; do
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            # A child that ended stays a zombie until it is waited for.
            [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = Z ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        PIDS=$(for p in $PIDS; do [ "$p" = "$pid" ] || printf '%s ' "$p"; done)
    done
}
cleanup() {
    # shellcheck disable=SC2086
    stop $PIDS
    if [ -n "${BENCH_KEEP:-}" ]; then echo "Logs kept in $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
LOG="$WORK/log"

export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share" \
    XDG_CACHE_HOME="$WORK/home/.cache" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$XDG_DATA_HOME/Zarvel" "$XDG_CACHE_HOME" \
    "$XDG_RUNTIME_DIR" "$WORK/runtime-idle" "$HOME/bin" "$WORK/hang"
chmod 700 "$XDG_RUNTIME_DIR" "$WORK/runtime-idle"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER
export QT_QPA_PLATFORM=xcb

# Runs a measuring command; its output, or nothing when it failed (the
# reason goes to stderr, and the figure shows as "-").
measure() {
    if ! "$@" 2>>"$LOG"; then
        echo "warning: failed: $*" >&2
        tail -n 5 "$LOG" >&2
    fi
}
# Word n of a line of figures.
word() { echo "$2" | awk -v n="$1" '{ print $n }'; }

# Pictures far larger than any icon, made before anything is measured.
echo "Making an 8000 x 6000 JPEG and a 20000 x 20000 PNG ..."
measure convert -size 8000x6000 gradient:navy-orange -quality 85 "$WORK/big.jpg"
measure python3 -c '
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
side, packer = 20000, zlib.compressobj(6)
row = b"\0" + bytes(range(256)) * (side * 3 // 256) + bytes(side * 3 % 256)
data = b"".join(packer.compress(row) for _ in range(side)) + packer.flush()
header = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
open(sys.argv[1], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data) + chunk(b"IEND", b""))
' "$WORK/big.png"

# ---------------------------------------------------------------- X session
# Xvfb picks a free display and writes its number once it is ready.
mkfifo "$WORK/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/displayfd" 2>/dev/null &
PIDS="$!"
read -r number <"$WORK/displayfd"
export DISPLAY=":$number"

# openbox as the tests configure it: it holds the Alt + right-button grab a
# desktop user's window manager usually holds, and a click focuses.
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
trayer --edge top --align left --widthtype pixel --width 100 --heighttype pixel --height 32 \
    --SetDockType true --SetPartialStrut true >/dev/null 2>&1 &
PIDS="$! $PIDS"
until xdotool search --onlyvisible --class trayer >/dev/null 2>&1; do sleep 0.1; done

# ---------------------------------------------------------------- buttons and menu
# The same 20 programs on Zarvel's panel and in jgmenu's menu, with icons of
# every kind the panel draws: desktop entries (their icon from the theme or
# a file), programs (the system's icon of the file) and programs with a
# picture as their icon. $WORK/buttons lists them as "kind target icon
# title".
ADWAITA=/usr/share/icons/Adwaita/48x48/legacy
: >"$WORK/buttons"
n=0
for entry in display-im6.q16 jgmenu openbox python3.11 vim; do
    file=/usr/share/applications/$entry.desktop
    [ -f "$file" ] || continue
    icon=$(sed -n 's/^Icon=//p' "$file" | head -n 1)
    echo "entry $file $icon $entry" >>"$WORK/buttons"
done
for pair in xdotool:utilities-terminal python3:accessories-calculator vim.basic:accessories-text-editor \
    xmessage:help-browser openbox:preferences-desktop trayer:system-search gdb:accessories-character-map \
    make:applications-graphics git:web-browser perf:multimedia-volume-control bash:system-file-manager \
    cmake:mail-send-receive gcc:system-software-install xprop:utilities-terminal xwininfo:help-browser; do
    program=/usr/bin/${pair%%:*}
    icon=$ADWAITA/${pair#*:}.png
    if [ ! -x "$program" ] || [ ! -f "$icon" ]; then continue; fi
    n=$((n + 1))
    if [ $n -le 8 ]; then
        # A desktop entry of the user's own, naming its icon by file.
        file="$XDG_DATA_HOME/applications/bench-$n.desktop"
        printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s\nIcon=%s\n' \
            "${pair%%:*}" "$program" "$icon" >"$file"
        echo "entry $file $icon ${pair%%:*}" >>"$WORK/buttons"
    elif [ $n -le 12 ]; then
        echo "program $program application-x-executable ${pair%%:*}" >>"$WORK/buttons"
    else
        echo "picture $program $icon ${pair%%:*}" >>"$WORK/buttons"
    fi
done
# buttons.json of the first 20 lines of a list, and jgmenu's menu of them
# in file $2.
buttons_json() {
    head -n 20 "$1" | awk -v csv="${2:-/dev/null}" '
        function quoted(text) { return "\\\"" text "\\\"" }
        {
            key = sprintf("Button%02d", NR)
            icon = $1 == "picture" ? quoted($3) : quoted($2)
            printf "%s\"%s\": {\"path\": \"%s\", \"icon\": \"%s\", \"title\": \"%s\", ",
                NR == 1 ? "{\n    " : ",\n    ", key, quoted($2), icon, $4
            printf "\"background\": \"#2a5d8f\", \"folder\": null}\n"
            printf "%s,%s,%s\n", $4, $2, $3 >csv
        }
        END { print "}" }'
}
BUTTONS_FILE="$XDG_DATA_HOME/Zarvel/buttons.json"
buttons_json "$WORK/buttons" "$WORK/menu.csv" >"$BUTTONS_FILE"
BUTTONS=$(grep -c '"Button' "$BUTTONS_FILE")
# The same panel with the pictures on its last two buttons.
head -n 18 "$WORK/buttons" >"$WORK/buttons.big"
echo "picture /usr/bin/xprop $WORK/big.jpg jpeg" >>"$WORK/buttons.big"
echo "picture /usr/bin/xprop $WORK/big.png png" >>"$WORK/buttons.big"
buttons_json "$WORK/buttons.big" >"$WORK/buttons-big.json"
mkdir -p "$XDG_CONFIG_HOME/jgmenu"
printf 'stay_alive = 1\nposition_mode = pointer\nicon_size = 22\nicon_theme = Adwaita\nfont = Sans 10\n' \
    >"$XDG_CONFIG_HOME/jgmenu/jgmenurc"
JGMENU="jgmenu --config-file=$XDG_CONFIG_HOME/jgmenu/jgmenurc --csv-file=$WORK/menu.csv"

cd "$HOME"

# ---------------------------------------------------------------- start to ready
echo "Measuring start to ready, $STARTS starts each ..."
# One start of each in turn, so that other work on the machine falls on all
# three alike.
: >"$WORK/zarvel.starts"
: >"$WORK/floor.starts"
: >"$WORK/jgmenu.starts"
for _ in $(seq "$STARTS"); do
    word 2 "$(measure "$PROBE" start tray 1 "$ZARVEL" -checkupdate)" >>"$WORK/zarvel.starts"
    word 2 "$(measure "$PROBE" start window 1 "$FLOOR")" >>"$WORK/floor.starts"
    # shellcheck disable=SC2086
    word 2 "$(measure "$PROBE" start window 1 --remove "$HOME/.jgmenu-lockfile" $JGMENU)" >>"$WORK/jgmenu.starts"
done
# The median and the best of the starts in a file.
median() { grep -v '^$' "$1" | sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
best() { grep -v '^$' "$1" | sort -n | head -n 1; }
zarvel_start=$(median "$WORK/zarvel.starts")
floor_start=$(median "$WORK/floor.starts")
jgmenu_start=$(median "$WORK/jgmenu.starts")

# ---------------------------------------------------------------- running
# The largest window that `xdotool search` finds with these arguments
# (Zarvel's tray icon carries the panel's name too).
window_of() {
    for _ in $(seq 100); do
        for id in $(xdotool search "$@" 2>/dev/null); do
            xwininfo -id "$id" 2>/dev/null | awk -v id="$id" '/Width:/ { w = $2 } /Height:/ { h = $2 }
                END { print w * h, id }'
        done | sort -n | tail -n 1 | awk '{ print $2 }' >"$WORK/window"
        [ -s "$WORK/window" ] && { cat "$WORK/window"; return 0; }
        sleep 0.1
    done
    echo "no window for: $*" >&2
    return 1
}
# Starts Zarvel ([VARIABLE=value...] ZARVEL [arguments...]) and waits until
# it is ready, its tray icon shown: ZARVEL_PID is the process, PANEL the
# panel's window.
run_zarvel() {
    env "$@" >>"$WORK/zarvel.log" 2>&1 &
    ZARVEL_PID=$!
    PIDS="$ZARVEL_PID $PIDS"
    for _ in $(seq 100); do
        xdotool search --onlyvisible --pid "$ZARVEL_PID" >/dev/null 2>&1 && break
        sleep 0.1
    done
    # The panel's window exists by then: it is made before the tray takes
    # the icon in. Without it, its figures show as "-".
    PANEL=$(window_of --all --pid "$ZARVEL_PID" --name '^MainWindow$') || PANEL=0
}
# Resident memory in MB and CPU time in ns, or "-" once the process is gone.
rss() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status" 2>/dev/null || echo -; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f", sum }'; }
# Trigger to painted of a first show, which leaves the window shown.
first_show() { word 6 "$(measure "$PROBE" show "$1" "$2" none 1)"; }
# First show of a Zarvel just started, and its resident memory before and
# after it: FRESH is "<ms> <MB at ready> <MB after>".
fresh_show() {
    run_zarvel "$ZARVEL" -checkupdate
    sleep 2
    before=$(rss "$ZARVEL_PID")
    painted=$(first_show "$PANEL" chord)
    FRESH="${painted:--} $before $(rss "$ZARVEL_PID")"
    stop "$ZARVEL_PID"
}

# The idle mode's Zarvel runs beside the others only while all idle: its own
# runtime folder gives it a command socket of its own.
run_zarvel XDG_RUNTIME_DIR="$WORK/runtime-idle" "$ZARVEL" --no-poll
IDLE_PID=$ZARVEL_PID
run_zarvel "$ZARVEL" -checkupdate
"$FLOOR" --hidden >"$WORK/floor.log" 2>&1 &
FLOOR_PID=$!
rm -f "$HOME/.jgmenu-lockfile"
# shellcheck disable=SC2086
$JGMENU --hide-on-startup >"$WORK/jgmenu.log" 2>&1 &
JGMENU_PID=$!
PIDS="$FLOOR_PID $JGMENU_PID $PIDS"
FLOOR_WINDOW=$(window_of --all --pid "$FLOOR_PID" --name '^Floor$')
MENU_WINDOW=$(window_of --class '^jgmenu$')
sleep 2
zarvel_rss_ready=$(rss "$ZARVEL_PID")
floor_rss_ready=$(rss "$FLOOR_PID")
jgmenu_rss_ready=$(rss "$JGMENU_PID")

# ---------------------------------------------------------------- idle
# All are hidden and idle, so they are measured at the same time. CPU time
# is the sum over the process's threads.
echo "Measuring idle CPU for $IDLE_SECONDS s ..."
for pid in $ZARVEL_PID $IDLE_PID $FLOOR_PID $JGMENU_PID; do echo "$pid $(cpu_ns "$pid")"; done >"$WORK/cpu0"
t0=$(date +%s%N)
sleep "$IDLE_SECONDS"
t1=$(date +%s%N)
idle() { echo "$(cpu_ns "$1") $(awk -v p="$1" '$1 == p { print $2 }' "$WORK/cpu0") $t0 $t1" |
    awk 'NF == 4 && $1 > 0 { printf "%.3f", ($1 - $2) / ($4 - $3) * 100 }'; }
zarvel_idle=$(idle "$ZARVEL_PID")
nopoll_idle=$(idle "$IDLE_PID")
floor_idle=$(idle "$FLOOR_PID")
jgmenu_idle=$(idle "$JGMENU_PID")
stop "$IDLE_PID"

# ---------------------------------------------------------------- shows
echo "Measuring the first show and $SHOWS shows each ..."
zarvel_first=$(first_show "$PANEL" chord)
zarvel_rss_show=$(rss "$ZARVEL_PID")
measure "$PROBE" hide "$PANEL" click
floor_first=$(first_show "$FLOOR_WINDOW" "signal:$FLOOR_PID")
floor_rss_show=$(rss "$FLOOR_PID")
measure "$PROBE" hide "$FLOOR_WINDOW" "signal:$FLOOR_PID"
jgmenu_first=$(first_show "$MENU_WINDOW" "signal:$JGMENU_PID")
jgmenu_rss_show=$(rss "$JGMENU_PID")
measure "$PROBE" hide "$MENU_WINDOW" escape
# mapped <median> <worst> <best> painted <median> <worst> <best>
zarvel_shows=$(measure "$PROBE" show "$PANEL" chord click "$SHOWS")
floor_shows=$(measure "$PROBE" show "$FLOOR_WINDOW" "signal:$FLOOR_PID" "signal:$FLOOR_PID" "$SHOWS")
jgmenu_shows=$(measure "$PROBE" show "$MENU_WINDOW" "signal:$JGMENU_PID" escape "$SHOWS")
echo "Measuring Zarvel --show, $SHOWS times ..."
command_shows=$(measure "$PROBE" show "$PANEL" run click "$SHOWS" "$ZARVEL" --show)
if ! kill -0 "$ZARVEL_PID" 2>/dev/null; then
    echo "Zarvel ended during the benchmark:" >&2
    cat "$WORK/zarvel.log" >&2
    exit 1
fi
stop "$ZARVEL_PID" "$FLOOR_PID" "$JGMENU_PID"

echo "Measuring the idle mode (--no-poll), $SHOWS shows ..."
run_zarvel "$ZARVEL" --no-poll
sleep 1
nopoll_shows=$(measure "$PROBE" show "$PANEL" chord click "$SHOWS")
stop "$ZARVEL_PID"

echo "Measuring a first show with huge icons, and one without ..."
fresh_show
normal_fresh=$FRESH
cp "$BUTTONS_FILE" "$WORK/buttons-normal.json"
cp "$WORK/buttons-big.json" "$BUTTONS_FILE"
fresh_show
big_fresh=$FRESH
cp "$WORK/buttons-normal.json" "$BUTTONS_FILE"

# ---------------------------------------------------------------- in process
echo "Measuring the panel's redraw, $REDRAWS rounds, and a 5 MB title ..."
measure "$BENCH/bench-panel" redraw "$REDRAWS" >"$WORK/panel"
echo "Measuring editor keystrokes, $KEYSTROKES per field and level ..."
# The large document goes to a data folder of its own.
mkdir -p "$WORK/editor-data"
measure env XDG_DATA_HOME="$WORK/editor-data" "$BENCH/bench-editor" "$KEYSTROKES" >"$WORK/editor"

echo "Measuring clicks, $LAUNCHES each, and $HANGS with an opener that hangs ..."
# Documents and web addresses open in a program that ends at once; the
# opener that hangs is a gio that sleeps first.
printf '#!/bin/sh\nexit 0\n' >"$HOME/bin/quick"
printf '#!/bin/sh\nsleep 5\n' >"$WORK/hang/gio"
chmod +x "$HOME/bin/quick" "$WORK/hang/gio"
printf '[Desktop Entry]\nType=Application\nName=Quick\nExec="%s" %%u\nMimeType=text/plain;x-scheme-handler/https;\n' \
    "$HOME/bin/quick" >"$XDG_DATA_HOME/applications/quick.desktop"
printf '[Default Applications]\ntext/plain=quick.desktop\nx-scheme-handler/https=quick.desktop\n' \
    >"$XDG_CONFIG_HOME/mimeapps.list"
echo notes >"$HOME/notes.txt"
# These write their own buttons.json over the sandbox's, so they come last.
measure "$BENCH/bench-panel" click "$LAUNCHES" "program (quoted path, two arguments)" \
    "\"$HOME/bin/quick\" -a \"b c\"" "desktop entry" "$XDG_DATA_HOME/applications/quick.desktop" \
    "document (the desktop's opener)" "$HOME/notes.txt" "web address" "https://example.org/" \
    "folder entered" folder >"$WORK/clicks"
measure env PATH="$WORK/hang:$PATH" "$BENCH/bench-panel" click "$HANGS" "document, the opener hangs 5 s" \
    "$HOME/notes.txt" >>"$WORK/clicks"

# ---------------------------------------------------------------- report
# Field 2 (median) or 3 (worst) of a line of `measure` in a result file.
figure() { awk -v m="$2" -v f="${3:-2}" '$1 == m { print $f }' "$WORK/$1"; }
ratio() { echo "$1 $2" | awk '$1 + 0 == $1 && $2 + 0 == $2 && $2 > 0 { printf "%.2f", $1 / $2; exit } { print "-" }'; }
difference() { echo "$1 $2" | awk '$1 + 0 == $1 && $2 + 0 == $2 { printf "%.1f", $1 - $2; exit } { print "-" }'; }
row() { # label zarvel floor jgmenu
    printf '%-44s %10s %10s %10s %10s\n' "$1" "${2:--}" "${3:--}" "${4:--}" "$(ratio "${2:--}" "${3:--}")"
}
line() { printf '%-58s %10s %10s\n' "$1" "${2:--}" "${3:--}"; }

echo
echo "Side by side (Xvfb, $(nproc) cores, load average $LOAD_BEFORE before the run and" \
    "$(cut -d' ' -f1-3 /proc/loadavg) after it; MB = MiB)"
printf '%-44s %10s %10s %10s %10s\n' "" "Zarvel" "minimal Qt" "jgmenu" "Zarvel/Qt"
row "start to ready, median of $STARTS, ms" "$zarvel_start" "$floor_start" "$jgmenu_start"
row "start to ready, best of $STARTS, ms" "$(best "$WORK/zarvel.starts")" "$(best "$WORK/floor.starts")" \
    "$(best "$WORK/jgmenu.starts")"
row "resident memory at ready, MB" "$zarvel_rss_ready" "$floor_rss_ready" "$jgmenu_rss_ready"
row "resident memory after the first show, MB" "$zarvel_rss_show" "$floor_rss_show" "$jgmenu_rss_show"
row "idle CPU over $IDLE_SECONDS s, % of one core" "$zarvel_idle" "$floor_idle" "$jgmenu_idle"
row "first show: trigger to painted, ms" "$zarvel_first" "$floor_first" "$jgmenu_first"
row "trigger to painted, median of $SHOWS, ms" "$(word 6 "$zarvel_shows")" "$(word 6 "$floor_shows")" \
    "$(word 6 "$jgmenu_shows")"
row "trigger to painted, worst of $SHOWS, ms" "$(word 7 "$zarvel_shows")" "$(word 7 "$floor_shows")" \
    "$(word 7 "$jgmenu_shows")"
echo "Ready: Zarvel's tray icon shown in the tray (it starts hidden); the others' first window shown."
echo "Trigger: Zarvel, Alt held and the right button pressed; the others, SIGUSR1 (jgmenu_run sends it)."
echo "Zarvel shows $BUTTONS buttons; jgmenu the same programs and icons as a menu."

echo
echo "Zarvel alone (20 buttons)"
line "" median worst
line "chord to panel mapped, 10 ms poll, ms ($SHOWS)" "$(word 2 "$zarvel_shows")" "$(word 3 "$zarvel_shows")"
line "chord to panel painted, 10 ms poll, ms ($SHOWS)" "$(word 6 "$zarvel_shows")" "$(word 7 "$zarvel_shows")"
line "chord to panel mapped, --no-poll, ms ($SHOWS)" "$(word 2 "$nopoll_shows")" "$(word 3 "$nopoll_shows")"
line "chord to panel painted, --no-poll, ms ($SHOWS)" "$(word 6 "$nopoll_shows")" "$(word 7 "$nopoll_shows")"
line "idle CPU with --no-poll, % of one core" "$nopoll_idle"
line "Zarvel --show started to panel painted, ms ($SHOWS)" "$(word 6 "$command_shows")" \
    "$(word 7 "$command_shows")"
line "panel redraw from the file and painted, ms ($REDRAWS)" "$(figure panel redraw)" "$(figure panel redraw 3)"
echo "  icons shown: $(figure panel icons 2) of $(figure panel icons 3) buttons; resident memory" \
    "$(figure panel rss 2) MB before the redraws, $(figure panel rss 3) MB after"
line "first show of a fresh run: chord to painted, ms" "$(word 1 "$normal_fresh")"
line "  with an 8000 x 6000 JPEG and a 20000 x 20000 PNG icon" "$(word 1 "$big_fresh")"
echo "  resident memory at ready and after the first show: $(word 2 "$normal_fresh") and" \
    "$(word 3 "$normal_fresh") MB; with the huge icons $(word 2 "$big_fresh") and $(word 3 "$big_fresh") MB"
line "redraw with a 5 MB title on button 1, ms (5)" "$(figure panel redraw-title)" "$(figure panel redraw-title 3)"
line "  its tool tip shown, ms" "$(figure panel tooltip)"
echo "  the tool tip shows $(figure panel tooltip 3) characters of the title"
line "editor keystroke, title field, top level, ms ($KEYSTROKES)" "$(figure editor title-top)" \
    "$(figure editor title-top 3)"
line "editor keystroke, title field, third level, ms" "$(figure editor title-deep)" "$(figure editor title-deep 3)"
line "editor keystroke, path field, top level, ms" "$(figure editor path-top)" "$(figure editor path-top 3)"
line "editor keystroke, path field, third level, ms" "$(figure editor path-deep)" "$(figure editor path-deep 3)"
line "editor opening, top level / third level, ms" "$(figure editor open-top) / $(figure editor open-deep)"
echo "  document: $(figure editor buttons 2) buttons, $(figure editor buttons 3) KB;" \
    "the document holds what was typed: $(figure editor typed)"
echo
echo "A click: how long it holds the panel's thread, ms ($LAUNCHES each; $HANGS with the hanging opener)"
awk '{ worst = $NF; median = $(NF - 1); $NF = ""; $(NF - 1) = ""; printf "%-58s %10s %10s\n", $0, median, worst }' \
    "$WORK/clicks"

# ---------------------------------------------------------------- targets
target() { # label value limit
    verdict=$(echo "${2:--} $3" | awk '$1 + 0 != $1 { print "n/a"; exit } { print $1 <= $2 ? "met" : "not met" }')
    printf '%-62s %10s   %s\n' "$1" "${2:--}" "$verdict"
}
# The worst click of every kind but the hanging opener's.
worst_click=$(grep -v hangs "$WORK/clicks" | awk '$NF + 0 == $NF && $NF > w { w = $NF } END { if (NR) print w }')
echo
echo "Targets (informational)"
target "resident memory after the first show <= 1.25 x minimal Qt" "$(ratio "$zarvel_rss_show" "$floor_rss_show")" 1.25
target "memory growth over $REDRAWS panel redraws <= 1 MB" "$(difference "$(figure panel rss 3)" \
    "$(figure panel rss 2)")" 1
target "start to ready <= 1.4 x minimal Qt (medians)" "$(ratio "$zarvel_start" "$floor_start")" 1.4
target "panel redraw from the file <= 1 ms (median)" "$(figure panel redraw)" 1
target "a click holds the panel's thread <= 2 ms (worst of every kind)" "$worst_click" 2
target "  the same with the opener hanging (worst, ms)" "$(awk '/hangs/ { print $NF }' "$WORK/clicks")" 2
target "chord to painted, 10 ms poll <= 8 ms (median)" "$(word 6 "$zarvel_shows")" 8
target "idle mode (--no-poll): idle CPU 0 % (to 3 decimals)" "$nopoll_idle" 0
target "idle mode (--no-poll): chord to painted <= 3 ms (median)" "$(word 6 "$nopoll_shows")" 3
target "Zarvel --show to painted <= 20 ms (median)" "$(word 6 "$command_shows")" 20
target "huge icons: memory after the first show, + <= 2 MB" "$(difference "$(word 3 "$big_fresh")" \
    "$(word 3 "$normal_fresh")")" 2
