#!/usr/bin/env bash
# "pzam-tool spc" on record files of a full 9999-value run, both kinds: pzam-tool replay writes
# them from a Sylvac capture (values normal around 12.345, s 0.005), then spc runs RUNS times on
# each; prints the median and the slowest wall time.
# Usage: bench/e2e/spc_time.sh [BIN_DIR] [RUNS]   (default build/default/bin, 20)
set -euo pipefail
bin=$(cd "${1:-build/default/bin}" && pwd)
runs=${2:-20}
work=$(mktemp -d /tmp/pzam-spc-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
awk 'BEGIN { srand(1); for (i = 0; i < 9999; i++) {
  v = 12.345 + 0.005 * sqrt(-2 * log(1 - rand())) * cos(6.283185307 * rand());
  printf "%+09.3f\r", v } }' >capture.bin
for save in 1 2; do
  "$bin/pzam-tool" replay --mode 2 --save "$save" --decimal , --at '2026-12-08 09:05:03' \
    capture.bin >/dev/null
done
for file in 20261208_90503_-----.xls 20261208_90503_-----.csv; do
  times=()
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$bin/pzam-tool" spc --lsl 12.335 --usl 12.355 "$file" >spc.out
    times+=($((($(date +%s%N) - start) / 1000)))
  done
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  printf '%s  %s values  median %.1f ms  max %.1f ms  (%d runs)\n' "${file##*.}" \
    "$(sed -n 's/^n=//p' spc.out)" "$(echo "${sorted[$((runs / 2))]} / 1000" | bc -l)" \
    "$(echo "${sorted[$((runs - 1))]} / 1000" | bc -l)" "$runs"
done
