#!/usr/bin/env bash
# A ZAM 2000 gauge at the full 9600-baud line rate for 9999 values (about 8.5 minutes) into
# "pzam-tool measure" with a text record file: values sent, value lines shown, record rows,
# values lost or changed, and the program's resident memory at the end of the run.
# Usage: bench/e2e/zam_full_rate.sh [BIN_DIR] [COUNT]   (default build/default/bin, 9999)
set -euo pipefail
bin=$(cd "${1:-build/default/bin}" && pwd)
count=${2:-9999}
work=$(mktemp -d /tmp/pzam-fullrate-XXXXXX)
cd "$work"
"$bin/pzam-sim" --instrument zam --interval 0 --count "$count" --seed 1 --config PZAMConfig.ini \
  --log sim.log >sim.out 2>sim.err &
sim=$!
for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
read -r port _ <sim.out
mkfifo in
"$bin/pzam-tool" measure --port "$port" --config PZAMConfig.ini --mode 0 --save 2 --batch FULL \
  <in >measure.out 2>measure.err &
measure=$!
exec 3>in
start=$(date +%s.%N)
wait "$sim"
end=$(date +%s.%N)
sleep 1  # the last read waits 200 ms
rss=$(awk '/VmRSS/ {print $2, $3}' "/proc/$measure/status")
hwm=$(awk '/VmHWM/ {print $2, $3}' "/proc/$measure/status")
echo q >&3
wait "$measure"
record=$(ls ./*.csv)
sent=$(grep -c '@IST' sim.log)
shown=$(grep -c '^FULL [0-9][0-9]:' measure.out || true)
rows=$(($(tr -d '\r' <"$record" | wc -l) - 1))
# Each row's value cell against the value the gauge sent (IST field, 8 characters, "%8.3f").
changed=$(paste -d';' <(sed 's/.*@IST\(.\{8\}\).*/\1/' sim.log) <(tr -d '\r' <"$record" | tail -n +2) |
  awk -F';' '{ if (sprintf("%8.3f", $1 + 0) != $5) n++ } END { print n + 0 }')
printf 'values sent         %d in %.1f s\n' "$sent" "$(echo "$end - $start" | bc)"
printf 'value lines shown   %d\n' "$shown"
printf 'record file rows    %d\n' "$rows"
printf 'values lost         %d\n' "$((sent - rows))"
printf 'values changed      %d\n' "$changed"
printf 'resident memory     %s (peak %s)\n' "$rss" "$hwm"
cd / && rm -rf "$work"
