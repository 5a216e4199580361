# Shared by scripts/start and scripts/test: installs what is missing from
# Debian, quietly, and does nothing when everything is there.

# What building and running Zarvel needs (zlib inflates SVGZ icons); gio and
# the MIME database open documents and folders in the desktop's default
# application. Qt loads its plugins by name at run time, so no library
# Zarvel links pulls them in: libqt5svg5 (SVG pictures and icons),
# qt5-image-formats-plugins (TIFF, WebP, ICNS and more), qtwayland5 (Qt's
# Wayland platform with its shell, decoration and buffer plugins) and
# layer-shell-qt (the layer-shell integration the panel's host on Wayland
# runs on; its library's package only recommends it). The layer-shell-qt and
# libwayland headers build that host.
BUILD_PACKAGES="build-essential cmake qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libqt5svg5 zlib1g-dev
    qt5-image-formats-plugins libx11-dev libxi-dev libxtst-dev libglib2.0-bin shared-mime-info
    pkg-config liblayershellqtinterface-dev libwayland-dev qtwayland5 layer-shell-qt"
# What fuzzing needs: clang with libFuzzer and the sanitizer runtimes.
FUZZ_PACKAGES="clang libclang-rt-14-dev"
# What the tests need on top: the format checker, a virtual X server, a
# window manager, a system tray, input injection, keyboard remapping, the
# desktop entry validator, and the damage extension's headers for the
# benchmark; a compositor, its screenshots and the
# protocol compiler for the Wayland panel's tests, which stop its host with
# pkill and read sway's answer on the focused window with jq; a session
# bus, the accessibility bus with its registry, and Python's AT-SPI client,
# which reads the panel as a screen reader does.
TEST_PACKAGES="clang-format xvfb xauth openbox xdotool trayer x11-utils x11-xserver-utils desktop-file-utils pkg-config libxdamage-dev
    sway grim jq libwayland-bin procps dbus at-spi2-core python3 python3-gi gir1.2-atspi-2.0"
# What scripts/package needs on top of the build's and scripts/windows-build's
# own: dpkg-shlibdeps and the hardening flags, and NSIS for the installer.
PACKAGE_PACKAGES="dpkg-dev file nsis"
# What their tests need on top: Debian's package checker, and the maker of
# the minimal Debian root the package is installed into.
PACKAGE_TEST_PACKAGES="lintian mmdebstrap"
# What tests/wine/windows-test needs on top of scripts/windows-build's own:
# wine's 64-bit loader only (wine32 cannot start on every kernel, and then
# breaks the plain wine command), a virtual X server, input injection,
# window geometry, and the C compiler for its stand-in updater.
WINDOWS_PACKAGES="wine wine64 xvfb xdotool x11-utils gcc-mingw-w64-x86-64-posix"

ensure_packages() {
    missing=""
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
            missing="$missing $package"
        fi
    done
    [ -z "$missing" ] && return 0
    echo "Installing Debian packages:$missing"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# configure_and_build <build dir> [cmake options...]
configure_and_build() {
    dir="$1"
    shift
    cmake -S "$ZARVEL_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" --parallel "$(nproc)" >"$dir.build.log" 2>&1 ||
        { cat "$dir.build.log"; return 1; }
}
