#!/usr/bin/env bash
# Builds P-ZAM (installing what is missing) and starts the program. The settings file
# PZAMConfig.ini and the language files lie beside it in build/default/bin/; record files and
# debug.txt go to the current directory.
# Without a display (no DISPLAY or WAYLAND_DISPLAY) it replays the shipped gauge capture through
# the measuring run instead: the message list on stdout, the record file and debug.txt in
# build/replay/; extra arguments then go to "pzam-tool replay" (for example --save 2).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/default/bin/PZAM
fi
echo "run.sh: no display found; replaying the shipped capture instead of opening the windows" >&2
mkdir -p build/replay
cd build/replay
exec ../default/bin/pzam-tool replay --save 1 "$@" ../../samples/zam2000_mode0.cap
