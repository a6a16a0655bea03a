#!/usr/bin/env bash
# Deep fuzzing: runs each libFuzzer target, one after another, until it has made RUNS executions
# or SECONDS have passed (10^7 executions or 15 minutes by default), starting from its corpus in
# fuzz/corpus/<target>/. Prints per target the executions, libFuzzer's coverage (cov: edges, ft:
# features) and its findings. Not part of CI.
#
#   scripts/fuzz-deep.sh [--runs N] [--seconds S] [--out DIR] [--no-build] [TARGET...]
#
# TARGET is a name like "telegram" or "fuzz_telegram" (default: every target that was built).
# New inputs go to DIR/corpus/<target> (default DIR: build/fuzz/deep), findings (crash-*, leak-*,
# timeout-*, oom-*) to DIR/findings/<target>, libFuzzer's output to DIR/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=10000000
seconds=900
out=build/fuzz/deep
build=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) targets+=("${1#fuzz_}"); shift ;;
  esac
done
[ "$build" -eq 1 ] && bash scripts/build.sh fuzz pzam_fuzzers
if [ ${#targets[@]} -eq 0 ]; then
  for f in build/fuzz/bin/fuzz_*; do targets+=("$(basename "${f#build/fuzz/bin/fuzz_}")"); done
fi
mkdir -p "$out"
echo "machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "limits: ${runs} executions or ${seconds} s per target"
printf '%-16s %12s %8s %9s %8s %6s %s\n' target executions seconds exec/s cov ft findings
status=0
for t in "${targets[@]}"; do
  bin=build/fuzz/bin/fuzz_$t
  [ -x "$bin" ] || { echo "no target $bin"; status=1; continue; }
  corpus=$out/corpus/$t findings=$out/findings/$t log=$out/$t.log
  mkdir -p "$corpus" "$findings"
  seeds=fuzz/corpus/$t
  start=$(date +%s)
  rc=0
  "$bin" -runs="$runs" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) >"$log" 2>&1 ||
    rc=$?
  took=$(( $(date +%s) - start ))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  found=$(find "$findings" -type f | wc -l)
  [ "$rc" -ne 0 ] && status=1
  printf '%-16s %12s %8s %9s %8s %6s %s\n' "$t" "${execs:-?}" "$took" "${rate:-?}" "${cov:-?}" \
    "${ft:-?}" "$found$( [ "$rc" -ne 0 ] && echo " (exit $rc, see $log)")"
done
exit "$status"
