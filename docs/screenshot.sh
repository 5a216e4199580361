#!/bin/sh
# Takes the README's picture of the panel: starts its own Xvfb and openbox,
# runs Zarvel with a sample buttons.json in a throw-away HOME, calls the
# panel up with the real Alt + right-click chord and saves the window.
# Usage: docs/screenshot.sh [build dir] [output png]
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$ZARVEL_ROOT/build/app}
out=${2:-$ZARVEL_ROOT/docs/panel.png}
for tool in Xvfb openbox xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (xvfb, openbox, xdotool, imagemagick)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_DATA_HOME/Zarvel" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

cp "$ZARVEL_ROOT/res/zarvel-logo.png" "$work/logo.png"
cat >"$XDG_DATA_HOME/Zarvel/buttons.json" <<JSON
{
    "Button01": {"background": "#f0f0f0", "folder": {
        "Button01": {"background": "#000000", "folder": null, "icon": ":/res/back.png", "title": "Back"},
        "Button02": {"background": "#000000", "folder": null, "icon": "", "path": "", "title": ""}},
        "icon": ":/res/folder.png", "path": "Folder", "title": "Tools"},
    "Button02": {"background": "#2b2f3a", "folder": null, "icon": "\"$work/logo.png\"",
        "path": "\"/usr/bin/true\"", "title": "Zarvel"}
}
JSON

exec 3>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
pids="$!"
for _ in $(seq 50); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/displayfd")"
export DISPLAY
openbox >/dev/null 2>&1 &
pids="$pids $!"
sleep 0.5
xsetroot -solid '#3c6e8f' 2>/dev/null || true

"$build/Zarvel" -checkupdate >/dev/null 2>&1 &
pids="$pids $!"
sleep 1.5
xdotool mousemove 200 150 keydown alt click 3 keyup alt
window=""
for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name '^MainWindow$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the panel did not show" >&2; exit 1; }
sleep 0.3
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "saved $out"
