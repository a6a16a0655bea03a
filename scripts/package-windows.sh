#!/usr/bin/env bash
# The Windows installer and the portable .zip: builds the programs with preset "windows"
# (scripts/build-windows.sh) and packs them with CPack's NSIS and ZIP generators into
# build/windows/package/. The last line printed is the installer's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh PZAM pzam-tool pzam_languages pzam_windows_runtime >&2
out=build/windows/package
mkdir -p "$out"
(cd build/windows && cpack -G "NSIS;ZIP" -B "$(pwd)/package" >&2)
ls -t "$out"/pzam-*-win64.exe | head -n 1 | xargs realpath
