#!/usr/bin/env bash
# The Win32 comm backend under Wine on a pseudo-terminal mapped as COM5: builds the preload
# library and the line's other end for Linux, cross-builds WineCommTest.exe with MinGW-w64, makes
# a fresh Wine prefix and runs the test with an Xvfb display (Wine creates no top-level window
# without one). Needs wine, wine64, mingw-w64 (g++-posix) and xvfb. Exits non-zero when a check
# fails. Usage: tests/wine/run-comm-test.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(mkdir -p "${1:-build/wine}" && cd "${1:-build/wine}" && pwd)

cc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$out/ptymodem.so" tests/wine/ptymodem.c -ldl
cc -O2 -Wall -Wextra -Werror -o "$out/ptyline" tests/wine/ptyline.c
# The Windows sources of the comm layer and the serial component (src/serial/CMakeLists.txt and
# src/serial/comm/CMakeLists.txt, WIN32 branch).
sources=(
  src/serial/comm/{EventCharEmulation,ModeText,PortNumber,PortListWin,PortNamesWin}.cpp
  src/serial/comm/{RegistryPorts,WinCommApi,WinPort,WinShapes}.cpp
  src/serial/{COMManager,CustomSerial,LineBlocks,LineParameters,Serial,SerialIo}.cpp
  src/serial/{SerialOpen,SerPort,SerThread,SettingsText,PortWatchWin,ThreadPriorityWin}.cpp
)
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -Wall -Wextra -Wpedantic -Werror -Isrc \
  -o "$out/WineCommTest.exe" tests/wine/WineCommTest.cpp "${sources[@]}" -static

prefix=$(mktemp -d /tmp/pzam-wine.XXXXXX)
xvfb_pid=
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  sleep 1
fi
wineboot -i >/dev/null 2>&1
timeout 300 "$out/ptyline" "$prefix" com5 "$out/ptymodem.so" wine "$out/WineCommTest.exe"
