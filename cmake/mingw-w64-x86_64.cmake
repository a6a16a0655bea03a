# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads, GCC 12).
# PZAM_WINDOWS_PREFIX is the folder scripts/windows-toolchain.sh built Qt, QCustomPlot,
# libjpeg-turbo and GoogleTest into; it is searched before the MinGW system root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(PZAM_WINDOWS_PREFIX "$ENV{PZAM_WINDOWS_PREFIX}" CACHE PATH "Cross-built libraries for Windows")
set(CMAKE_FIND_ROOT_PATH ${PZAM_WINDOWS_PREFIX} /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's tools (moc, uic, rcc) run on this machine: Debian's own Qt 6 of the same version.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# Tests and tools run the programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE STRING "")
