# Chooses the operating-system layer at build time. Each layer is a thin
# Qt-facing wrapper over sources that include no Qt header at all, so the
# Windows sources can be compile-checked on their own and Xlib's macros
# never meet Qt's.
set(ZARVEL_PLATFORM_SOURCES
    platform/commandchannel.h
    platform/environment.cpp
    platform/environment.h
    platform/updatecommand.cpp
    platform/updatecommand.h
)
set(ZARVEL_PLATFORM_LIBRARIES)
if(WIN32)
    list(APPEND ZARVEL_PLATFORM_SOURCES
        platform/autostart_win.cpp
        platform/commandchannel_win.cpp
        platform/launch_win.cpp
        platform/platform_win.cpp
        platform/platform_win.h
        platform/updater_win.cpp
        platform/winapi.cpp
        platform/winapi.h
    )
    find_package(Qt5 5.15 REQUIRED COMPONENTS Network)
    list(APPEND ZARVEL_PLATFORM_LIBRARIES Qt5::Network user32 kernel32)
else()
    find_package(X11 REQUIRED)
    if(NOT X11_Xi_FOUND)
        message(FATAL_ERROR "XInput2 development files are missing (Debian: libxi-dev)")
    endif()
    list(APPEND ZARVEL_PLATFORM_SOURCES
        platform/autostart_x11.cpp
        platform/commandchannel_unix.cpp
        platform/unixsocket.cpp
        platform/unixsocket.h
        platform/desktopentry.cpp
        platform/desktopentry.h
        platform/icontheme.cpp
        platform/icontheme.h
        platform/launch_x11.cpp
        platform/platform_x11.cpp
        platform/platform_x11.h
        platform/updater_x11.cpp
        platform/x11input.cpp
        platform/x11input.h
    )
    list(APPEND ZARVEL_PLATFORM_LIBRARIES ${X11_X11_LIB} ${X11_Xi_LIB})

    # The native panel on Wayland compositors with layer-shell (Debian:
    # liblayershellqtinterface-dev, libwayland-dev, qtwayland5 to run it).
    find_package(LayerShellQt QUIET)
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(WAYLAND_CLIENT QUIET IMPORTED_TARGET wayland-client)
    endif()
    set(ZARVEL_WAYLAND_DEFAULT OFF)
    if(LayerShellQt_FOUND AND WAYLAND_CLIENT_FOUND)
        set(ZARVEL_WAYLAND_DEFAULT ON)
    endif()
    option(ZARVEL_WAYLAND "Host the panel natively on Wayland compositors with layer-shell" ${ZARVEL_WAYLAND_DEFAULT})
endif()
# Whether the compositor offers layer-shell, asked before the panel's host
# is started; the host itself is a program of its own (CMakeLists.txt).
list(APPEND ZARVEL_PLATFORM_SOURCES platform/layershellprobe.cpp platform/layershellprobe.h)
if(ZARVEL_WAYLAND)
    set_source_files_properties(platform/layershellprobe.cpp PROPERTIES COMPILE_DEFINITIONS ZARVEL_WAYLAND)
    list(APPEND ZARVEL_PLATFORM_LIBRARIES PkgConfig::WAYLAND_CLIENT)
endif()
