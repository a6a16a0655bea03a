#!/usr/bin/env bash
# Configures and builds one preset (default: "default"), installing what is missing first.
# Further arguments name the targets to build (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
bash scripts/setup.sh
cmake --preset "$preset" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
