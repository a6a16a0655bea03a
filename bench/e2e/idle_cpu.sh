#!/usr/bin/env bash
# CPU time "pzam-tool measure" uses with an open port and nothing arriving: a simulated gauge
# that would send its first value only after an hour, a running measurement, 60 s of waiting.
# Usage: bench/e2e/idle_cpu.sh [BIN_DIR] [SECONDS]   (default build/default/bin, 60)
set -euo pipefail
bin=$(cd "${1:-build/default/bin}" && pwd)
seconds=${2:-60}
work=$(mktemp -d /tmp/pzam-idle-XXXXXX)
cd "$work"
"$bin/pzam-sim" --instrument zam --interval 3600000 --config PZAMConfig.ini >sim.out 2>sim.err &
sim=$!
for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
read -r port _ <sim.out
mkfifo in
"$bin/pzam-tool" measure --port "$port" --config PZAMConfig.ini --mode 0 --save 0 \
  <in >measure.out 2>&1 &
measure=$!
exec 3>in
sleep 2  # start-up and the port's opening are not part of the figure
# Time on a CPU in nanoseconds, summed over the program's threads (the scheduler's own count).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ n += $1 } END { printf "%d", n }'; }
wakeups() { cat /proc/"$1"/task/*/status | awk '/voluntary_ctxt_switches/ { n += $2 } END { print n }'; }
t0=$(cpu_ns "$measure")
w0=$(wakeups "$measure")
sleep "$seconds"
t1=$(cpu_ns "$measure")
w1=$(wakeups "$measure")
threads=$(ls "/proc/$measure/task" | wc -l)
echo q >&3
wait "$measure" || true
kill -INT "$sim"
wait "$sim" || true
printf 'CPU over %d s idle with the port open: %.3f ms = %.5f %% of one core, %d wake-ups, %d threads\n' \
  "$seconds" "$(echo "($t1 - $t0) / 1000000" | bc -l)" \
  "$(echo "($t1 - $t0) / 10000000 / $seconds" | bc -l)" "$((w1 - w0))" "$threads"
cd / && rm -rf "$work"
