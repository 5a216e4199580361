#!/bin/sh
# Prints how long starting a button's target keeps the panel's thread busy,
# for a program, a desktop entry and a document opened by its default
# application (through gio), beside the floor of a bare
# QProcess::startDetached. Runs with HOME and XDG folders in a temporary
# directory; the started programs are a script that ends at once.
# Usage: scripts/bench-launch.sh [rounds]
set -eu
ZARVEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ZARVEL_ROOT/scripts/lib.sh"
ROUNDS=${1:-50}

ensure_packages $BUILD_PACKAGES $TEST_PACKAGES
mkdir -p "$ZARVEL_ROOT/build"
BUILD="$ZARVEL_ROOT/build/bench"
configure_and_build "$BUILD" -DZARVEL_BUILD_TESTS=OFF

WORK=$(mktemp -d /tmp/zarvel-bench-XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM

# shellcheck disable=SC2046
g++ -std=c++17 -O2 -fPIC -I"$ZARVEL_ROOT" "$ZARVEL_ROOT/scripts/bench/launch.cpp" -o "$WORK/launch" \
    "$BUILD/libzarvel_core.a" $(pkg-config --cflags --libs Qt5Gui) -lX11 -lXi

export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share" \
    XDG_CACHE_HOME="$WORK/home/.cache" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$HOME/bin"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=offscreen

printf '#!/bin/sh\nexit 0\n' >"$HOME/bin/quick"
chmod +x "$HOME/bin/quick"
printf '[Desktop Entry]\nType=Application\nName=Quick\nExec="%s" %%f\nMimeType=text/plain;\n' \
    "$HOME/bin/quick" >"$XDG_DATA_HOME/applications/quick.desktop"
printf '[Default Applications]\ntext/plain=quick.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
echo notes >"$HOME/notes.txt"

"$WORK/launch" "$ROUNDS" "$HOME/bin/quick" "$XDG_DATA_HOME/applications/quick.desktop" "$HOME/notes.txt"
