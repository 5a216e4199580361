#!/bin/sh
# Prints what Zarvel costs, beside a minimal Qt widgets program (an empty
# 10 ms timer and a panel-sized window, the floor of Zarvel's design) and
# jgmenu (a native X11 menu that opens at the pointer), all three measured
# side by side in one run on the same X server:
#   - start to ready: process start to its tray icon shown (Zarvel, which
#     starts hidden) or to its first window shown (the others);
#   - resident memory at ready, after the first show and after 100 redraws
#     (whole-window exposes, each answered by a repaint);
#   - idle CPU while hidden, in percent of one core;
#   - trigger to painted window (Zarvel: the Alt + right-press chord; the
#     others: SIGUSR1, which is what jgmenu_run sends).
# Then Zarvel's own figures: the panel's redraw with 20 program icons, one
# keystroke in the settings editor on a document of 8,020 buttons, and how
# long starting a target blocks the panel.
#
# It builds the 20-button ("Deluxe") program with the benchmark programs of
# scripts/bench/, and runs everything on its own Xvfb with openbox and a
# trayer system tray, with HOME and the XDG folders in a temporary
# directory. It prints figures and whether each target is met; it never
# fails on a figure.
#
# Usage: scripts/bench.sh [idle seconds (30)]
# Environment: BENCH_STARTS (starts per program, 15), BENCH_SHOWS (trigger
# rounds, 20), BENCH_REDRAWS (panel redraws, 200), BENCH_KEYSTROKES (per
# field and level, 200), BENCH_LAUNCHES (starts per kind of target, 50),
# BENCH_KEEP (set: keep the temporary directory with the programs' logs).
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ZARVEL_ROOT/scripts/lib.sh"
IDLE_SECONDS=${1:-30}
STARTS=${BENCH_STARTS:-15}
SHOWS=${BENCH_SHOWS:-20}
REDRAWS=${BENCH_REDRAWS:-200}
KEYSTROKES=${BENCH_KEYSTROKES:-200}
LAUNCHES=${BENCH_LAUNCHES:-50}

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
    "$XDG_RUNTIME_DIR" "$HOME/bin"
chmod 700 "$XDG_RUNTIME_DIR"
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
head -n 20 "$WORK/buttons" | awk -v csv="$WORK/menu.csv" '
    function quoted(text) { return "\\\"" text "\\\"" }
    {
        key = sprintf("Button%02d", NR)
        name = $4
        icon = $1 == "picture" ? quoted($3) : quoted($2)
        printf "%s\"%s\": {\"path\": \"%s\", \"icon\": \"%s\", \"title\": \"%s\", ",
            NR == 1 ? "{\n    " : ",\n    ", key, quoted($2), icon, name
        printf "\"background\": \"#2a5d8f\", \"folder\": null}\n"
        printf "%s,%s,%s\n", name, $2, $3 >csv
    }
    END { print "}" }' >"$XDG_DATA_HOME/Zarvel/buttons.json"
BUTTONS=$(grep -c '"Button' "$XDG_DATA_HOME/Zarvel/buttons.json")
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

# ---------------------------------------------------------------- the three, running
"$ZARVEL" -checkupdate >"$WORK/zarvel.log" 2>&1 &
ZARVEL_PID=$!
"$FLOOR" --hidden >"$WORK/floor.log" 2>&1 &
FLOOR_PID=$!
rm -f "$HOME/.jgmenu-lockfile"
# shellcheck disable=SC2086
$JGMENU --hide-on-startup >"$WORK/jgmenu.log" 2>&1 &
JGMENU_PID=$!
PROGRAMS="$ZARVEL_PID $FLOOR_PID $JGMENU_PID"
PIDS="$PROGRAMS $PIDS"

# The largest window that `xdotool search` finds with these arguments
# (Zarvel's tray icon carries the panel's name too).
window_of() {
    for _ in $(seq 100); do
        best=""
        for id in $(xdotool search "$@" 2>/dev/null); do
            xwininfo -id "$id" 2>/dev/null | awk -v id="$id" '/Width:/ { w = $2 } /Height:/ { h = $2 }
                END { print w * h, id }'
        done | sort -n | tail -n 1 | awk '{ print $2 }' >"$WORK/window"
        best=$(cat "$WORK/window")
        [ -n "$best" ] && { echo "$best"; return 0; }
        sleep 0.1
    done
    echo "no window for: $*" >&2
    return 1
}
PANEL=$(window_of --pid "$ZARVEL_PID" --name '^MainWindow$')
FLOOR_WINDOW=$(window_of --pid "$FLOOR_PID" --name '^Floor$')
MENU_WINDOW=$(window_of --class '^jgmenu$')
# Zarvel is ready once its tray icon shows: its only window that does.
for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$ZARVEL_PID" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 2

# Resident memory in MB and CPU time in ns, or "-" once the process is gone.
rss() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status" 2>/dev/null || echo -; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f", sum }'; }

zarvel_rss_ready=$(rss "$ZARVEL_PID")
floor_rss_ready=$(rss "$FLOOR_PID")
jgmenu_rss_ready=$(rss "$JGMENU_PID")

# ---------------------------------------------------------------- idle
# All three are hidden and idle, so they are measured at the same time. CPU
# time is the sum over the process's threads, in nanoseconds.
echo "Measuring idle CPU for $IDLE_SECONDS s ..."
z0=$(cpu_ns "$ZARVEL_PID")
f0=$(cpu_ns "$FLOOR_PID")
j0=$(cpu_ns "$JGMENU_PID")
t0=$(date +%s%N)
sleep "$IDLE_SECONDS"
z1=$(cpu_ns "$ZARVEL_PID")
f1=$(cpu_ns "$FLOOR_PID")
j1=$(cpu_ns "$JGMENU_PID")
t1=$(date +%s%N)
percent() { echo "$1 $2 $t0 $t1" | awk 'NF == 4 && $2 > 0 { printf "%.3f", ($2 - $1) / ($4 - $3) * 100 }'; }
zarvel_idle=$(percent "$z0" "$z1")
floor_idle=$(percent "$f0" "$f1")
jgmenu_idle=$(percent "$j0" "$j1")

# ---------------------------------------------------------------- first show, 100 redraws
echo "Measuring the first show and 100 redraws ..."
# Trigger to painted of a first show, which leaves the window shown.
first_show() { word 5 "$(measure "$PROBE" show "$1" "$2" none 1)"; }
# Expose to repainted, median of 100.
redraws() { word 2 "$(measure "$PROBE" expose "$1" 100)"; }
zarvel_first=$(first_show "$PANEL" chord)
zarvel_rss_show=$(rss "$ZARVEL_PID")
zarvel_expose=$(redraws "$PANEL")
zarvel_rss_redraws=$(rss "$ZARVEL_PID")
measure "$PROBE" hide "$PANEL" click
floor_first=$(first_show "$FLOOR_WINDOW" "signal:$FLOOR_PID")
floor_rss_show=$(rss "$FLOOR_PID")
floor_expose=$(redraws "$FLOOR_WINDOW")
floor_rss_redraws=$(rss "$FLOOR_PID")
measure "$PROBE" hide "$FLOOR_WINDOW" "signal:$FLOOR_PID"
jgmenu_first=$(first_show "$MENU_WINDOW" "signal:$JGMENU_PID")
jgmenu_rss_show=$(rss "$JGMENU_PID")
jgmenu_expose=$(redraws "$MENU_WINDOW")
jgmenu_rss_redraws=$(rss "$JGMENU_PID")
measure "$PROBE" hide "$MENU_WINDOW" escape

# ---------------------------------------------------------------- trigger to painted
echo "Measuring $SHOWS shows each ..."
# mapped <median> <worst> painted <median> <worst>
zarvel_shows=$(measure "$PROBE" show "$PANEL" chord click "$SHOWS")
floor_shows=$(measure "$PROBE" show "$FLOOR_WINDOW" "signal:$FLOOR_PID" "signal:$FLOOR_PID" "$SHOWS")
jgmenu_shows=$(measure "$PROBE" show "$MENU_WINDOW" "signal:$JGMENU_PID" escape "$SHOWS")
zarvel_painted=$(word 5 "$zarvel_shows")

if ! kill -0 "$ZARVEL_PID" 2>/dev/null; then
    echo "Zarvel ended during the benchmark:" >&2
    cat "$WORK/zarvel.log" >&2
    exit 1
fi
# shellcheck disable=SC2086
stop $PROGRAMS
PIDS=${PIDS#"$PROGRAMS "}

# ---------------------------------------------------------------- in process
echo "Measuring the panel's redraw, $REDRAWS rounds ..."
measure "$BENCH/bench-panel" "$REDRAWS" >"$WORK/panel"
echo "Measuring editor keystrokes, $KEYSTROKES per field and level ..."
# The large document goes to a data folder of its own.
mkdir -p "$WORK/editor-data"
measure env XDG_DATA_HOME="$WORK/editor-data" "$BENCH/bench-editor" "$KEYSTROKES" >"$WORK/editor"
echo "Measuring launches, $LAUNCHES each ..."
printf '#!/bin/sh\nexit 0\n' >"$HOME/bin/quick"
chmod +x "$HOME/bin/quick"
printf '[Desktop Entry]\nType=Application\nName=Quick\nExec="%s" %%f\nMimeType=text/plain;\n' \
    "$HOME/bin/quick" >"$XDG_DATA_HOME/applications/quick.desktop"
printf '[Default Applications]\ntext/plain=quick.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
echo notes >"$HOME/notes.txt"
measure env QT_QPA_PLATFORM=offscreen "$BENCH/bench-launch" "$LAUNCHES" "$HOME/bin/quick" \
    "$XDG_DATA_HOME/applications/quick.desktop" "$HOME/notes.txt" >"$WORK/launch"

# ---------------------------------------------------------------- report
# Field 2 (median) or 3 (worst) of the line of `measure` in a result file.
figure() { awk -v m="$2" -v f="${3:-2}" '$1 == m { print $f }' "$WORK/$1"; }
ratio() { echo "$1 $2" | awk '$1 + 0 == $1 && $2 + 0 == $2 && $2 > 0 { printf "%.2f", $1 / $2; exit } { print "-" }'; }
row() { # label zarvel floor jgmenu
    printf '%-44s %10s %10s %10s %10s\n' "$1" "${2:--}" "${3:--}" "${4:--}" "$(ratio "${2:--}" "${3:--}")"
}

echo
echo "Side by side (Xvfb, $(nproc) cores, load average $LOAD_BEFORE before the run and" \
    "$(cut -d' ' -f1-3 /proc/loadavg) after it; MB = MiB)"
printf '%-44s %10s %10s %10s %10s\n' "" "Zarvel" "minimal Qt" "jgmenu" "Zarvel/Qt"
row "start to ready, median of $STARTS, ms" "$zarvel_start" "$floor_start" "$jgmenu_start"
row "start to ready, best of $STARTS, ms" "$(best "$WORK/zarvel.starts")" "$(best "$WORK/floor.starts")" \
    "$(best "$WORK/jgmenu.starts")"
row "resident memory at ready, MB" "$zarvel_rss_ready" "$floor_rss_ready" "$jgmenu_rss_ready"
row "idle CPU over $IDLE_SECONDS s, % of one core" "$zarvel_idle" "$floor_idle" "$jgmenu_idle"
row "first show: trigger to painted, ms" "$zarvel_first" "$floor_first" "$jgmenu_first"
row "resident memory after the first show, MB" "$zarvel_rss_show" "$floor_rss_show" "$jgmenu_rss_show"
row "redraw: expose to repainted, median of 100, ms" "$zarvel_expose" "$floor_expose" "$jgmenu_expose"
row "resident memory after 100 redraws, MB" "$zarvel_rss_redraws" "$floor_rss_redraws" "$jgmenu_rss_redraws"
row "trigger to painted, median of $SHOWS, ms" "$zarvel_painted" "$(word 5 "$floor_shows")" \
    "$(word 5 "$jgmenu_shows")"
row "trigger to painted, worst of $SHOWS, ms" "$(word 6 "$zarvel_shows")" "$(word 6 "$floor_shows")" \
    "$(word 6 "$jgmenu_shows")"
echo "Ready: Zarvel's tray icon shown in the tray (it starts hidden); the others' first window shown."
echo "Trigger: Zarvel, Alt held and the right button pressed; the others, SIGUSR1 (jgmenu_run sends it)."
echo "Zarvel shows $BUTTONS buttons; jgmenu the same programs and icons as a menu."

redraw_median=$(figure panel redraw)
title_deep=$(figure editor title-deep)
path_deep=$(figure editor path-deep)
echo
echo "Zarvel alone (20 buttons)"
printf '%-58s %10s %10s\n' "" "median" "worst"
printf '%-58s %10s %10s\n' "chord to panel mapped, ms ($SHOWS)" "$(word 2 "$zarvel_shows")" \
    "$(word 3 "$zarvel_shows")"
printf '%-58s %10s %10s\n' "chord to panel painted, ms ($SHOWS)" "$zarvel_painted" "$(word 6 "$zarvel_shows")"
printf '%-58s %10s %10s\n' "panel redraw from the file and painted, ms ($REDRAWS)" "$redraw_median" \
    "$(figure panel redraw 3)"
printf '%-58s %10s %10s\n' "  of which setButtonsConfiguration, ms" "$(figure panel configuration)" \
    "$(figure panel configuration 3)"
printf '%-58s %10s %10s\n' "  of which painting the window, ms" "$(figure panel paint-after-configuration)" \
    "$(figure panel paint-after-configuration 3)"
printf '%-58s %10s %10s\n' "  of which events it posted, ms" "$(figure panel posted-events)" \
    "$(figure panel posted-events 3)"
printf '%-58s %10s %10s\n' "panel repaint alone, ms ($REDRAWS)" "$(figure panel repaint)" "$(figure panel repaint 3)"
echo "  icons shown: $(figure panel icons 2) of $(figure panel icons 3) buttons;" \
    "resident memory $(figure panel rss 2) MB before, $(figure panel rss 3) MB after 100 redraws," \
    "$(figure panel rss 4) MB after all"
printf '%-58s %10s %10s\n' "editor keystroke, title field, top level, ms ($KEYSTROKES)" "$(figure editor title-top)" \
    "$(figure editor title-top 3)"
printf '%-58s %10s %10s\n' "editor keystroke, title field, third level, ms" "$title_deep" "$(figure editor title-deep 3)"
printf '%-58s %10s %10s\n' "editor keystroke, path field, top level, ms" "$(figure editor path-top)" \
    "$(figure editor path-top 3)"
printf '%-58s %10s %10s\n' "editor keystroke, path field, third level, ms" "$path_deep" "$(figure editor path-deep 3)"
printf '%-58s %10s\n' "editor opening, top level / third level, ms" \
    "$(figure editor open-top) / $(figure editor open-deep)"
echo "  document: $(figure editor buttons 2) buttons, $(figure editor buttons 3) KB;" \
    "the document holds what was typed: $(figure editor typed)"
echo
echo "Launching: how long one start blocks the panel's thread ($LAUNCHES each)"
cat "$WORK/launch"

# ---------------------------------------------------------------- targets
verdict() { # value op limit -> met / not met / n/a
    echo "$1 $3" | awk -v op="$2" '$1 + 0 != $1 { print "n/a"; exit }
        { ok = op == "<=" ? $1 <= $2 : 0; print ok ? "met" : "not met" }'
}
target() { # label value limit
    printf '%-62s %10s   %s\n' "$1" "${2:--}" "$(verdict "${2:--}" "<=" "$3")"
}
echo
echo "Targets (informational)"
target "resident memory after the first show <= 32 MB" "$zarvel_rss_show" 32
target "  and <= 1.3 x minimal Qt (ratio)" "$(ratio "$zarvel_rss_show" "$floor_rss_show")" 1.3
target "idle CPU <= 1.2 x minimal Qt with its 10 ms timer (ratio)" "$(ratio "$zarvel_idle" "$floor_idle")" 1.2
target "chord to painted panel <= 30 ms median" "$zarvel_painted" 30
target "redraw of 20 buttons <= 5 ms (median, ms)" "$redraw_median" 5
target "editor keystroke, title field, large document <= 2 ms (median)" "$title_deep" 2
target "editor keystroke, path field, large document <= 2 ms (median)" "$path_deep" 2
target "start to ready <= 1.5 x minimal Qt (ratio)" "$(ratio "$zarvel_start" "$floor_start")" 1.5
