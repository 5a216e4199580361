# Cross-builds the Windows program with Debian's mingw-w64 against the Qt
# that scripts/windows-qt builds:
#
#   cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DZARVEL_WIN_QT="$(scripts/windows-qt | tail -n 1)"
#
# 64-bit, though Zarvel ships as a 32-bit program: our machines' kernels run
# no i386 Linux programs, so wine can start no 32-bit Windows program there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: Qt was built with it, and the two models' runtime
# DLLs differ.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Read again for every try_compile, where the cache is not there yet: the
# environment carries the prefix into those runs.
if(NOT ZARVEL_WIN_QT AND DEFINED ENV{ZARVEL_WIN_QT})
    set(ZARVEL_WIN_QT "$ENV{ZARVEL_WIN_QT}")
endif()
if(NOT ZARVEL_WIN_QT)
    message(FATAL_ERROR "Set ZARVEL_WIN_QT to the Qt for Windows that scripts/windows-qt prints")
endif()
set(ZARVEL_WIN_QT "${ZARVEL_WIN_QT}" CACHE PATH "Qt for Windows, as built by scripts/windows-qt")
set(ENV{ZARVEL_WIN_QT} "${ZARVEL_WIN_QT}")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${ZARVEL_WIN_QT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# BOTH, not ONLY: the licence texts that ship with the program are the build
# machine's own files.
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)

# ctest runs the Windows test programs under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
