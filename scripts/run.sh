#!/usr/bin/env bash
# Builds P-ZAM (installing what is missing) and replays the shipped gauge capture through the
# measuring run: the message list on stdout, the record file and debug.txt in build/replay/.
# Extra arguments go to "pzam-tool replay" (for example --save 2 or --language english).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
mkdir -p build/replay
cd build/replay
exec ../default/bin/pzam-tool replay --save 1 "$@" ../../samples/zam2000_mode0.cap
