#!/usr/bin/env bash
# Soak run of the windowless program: RUNS measuring runs back to back, each a fresh
# "pzam-tool measure" taking COUNT telegrams from a ZAM 2000 gauge simulated by pzam-sim at the
# pseudo-terminal's pace (--interval 0 --pace pty), Excel and CSV record files in turn. After each
# run: values sent, value lines shown, record rows, values lost or changed, and the program's
# resident memory, open descriptors and threads at the end of its run (sampled before End).
# Then the windowed program on Qt's offscreen platform: WINDOW_RUNS runs (default 100) of 9999
# values driven through its buttons (pzam-program-memory --runs), resident memory after each.
# Not part of CI. Usage: bench/soak.sh [BIN_DIR] [RUNS] [COUNT] [WINDOW_RUNS]
#   (defaults build/default/bin, 101, 9999: 1,009,899 values). SOAK_DIR: the working folder's
#   parent (default /dev/shm, so that the figures are the program's, not the disk's).
set -uo pipefail
export LC_ALL=C
# A program that has gone away must not take the script with it when it is told to end.
trap '' PIPE
bin=$(cd "${1:-build/default/bin}" && pwd)
runs=${2:-101}
count=${3:-9999}
window_runs=${4:-100}
keep=$(pwd)/soak-faults
work=$(mktemp -d "${SOAK_DIR:-/dev/shm}/pzam-soak-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# Value rows of an Excel record file (LABEL records of rows >= 1 in column 4: the value cell), one
# value a line; "BAD" when the file is not one BOF, LABEL records and an EOF record.
xls_values() {
  od -An -v -tu1 "$1" | tr -s ' \n' '\n\n' | sed '/^$/d' | awk '
    { b[n++] = $1 }
    END {
      if (n < 12 || b[0] != 9 || b[1] != 8) { print "BAD"; exit }
      at = 12
      while (at + 4 <= n) {
        id = b[at] + 256 * b[at + 1]; len = b[at + 2] + 256 * b[at + 3]
        if (id == 10 && len == 0) { if (at + 4 != n) print "BAD"; exit }
        if (id != 516 || at + 4 + len > n) { print "BAD"; exit }
        row = b[at + 4] + 256 * b[at + 5]; col = b[at + 6] + 256 * b[at + 7]
        if (row > 0 && col == 4) {
          s = ""; for (i = at + 12; i < at + 4 + len; ++i) s = s sprintf("%c", b[i])
          print s
        }
        at += 4 + len
      }
      print "BAD"
    }'
}

printf '%4s %4s %6s %6s %6s %5s %8s %7s %4s %8s %8s\n' run save sent shown rows lost changed \
  "rss kB" fds threads seconds
total_sent=0 total_lost=0 total_changed=0 not_started=0
run=0
# A run whose program could not open the port at all (exit 3: another program on the machine took
# the simulator's pseudo-terminal first) took no value; it is reported and made up for.
while [ "$run" -lt "$runs" ] && [ "$not_started" -le 20 ]; do
  run=$((run + 1))
  save=$((run % 2 + 1))  # odd runs CSV, even runs Excel
  rm -f ./*.xls ./*.csv debug.txt sim.log
  start=$(date +%s.%N)
  "$bin/pzam-sim" --instrument zam --interval 0 --pace pty --count "$count" --seed "$run" \
    --config PZAMConfig.ini --log sim.log >sim.out 2>sim.err &
  sim=$!
  for _ in $(seq 400); do [ -s sim.out ] && break; sleep 0.05; done
  port=""
  read -r port _ <sim.out
  if [ -z "$port" ]; then
    echo "run $run: pzam-sim named no port within 20 s (files kept in $keep/run$run)" >&2
    kill "$sim" 2>/dev/null
    wait "$sim"
    mkdir -p "$keep/run$run" && cp ./*.out ./*.err "$keep/run$run/" 2>/dev/null
    continue
  fi
  rm -f in && mkfifo in
  "$bin/pzam-tool" measure --port "$port" --config PZAMConfig.ini --mode 0 --save "$save" \
    --batch "S$run" <in >measure.out 2>measure.err &
  measure=$!
  exec 3>in
  # Every value shown before the instrument hangs up (it does so a second after its last value).
  for _ in $(seq 1200); do
    [ "$(grep -c "^S$run [0-9][0-9]:" measure.out || true)" -ge "$count" ] && break
    kill -0 "$sim" 2>/dev/null && kill -0 "$measure" 2>/dev/null || break
    sleep 0.05
  done
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$measure/status" 2>/dev/null || echo 0)
  fds=$(find "/proc/$measure/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
  threads=$(find "/proc/$measure/task" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
  echo q >&3 || true
  exec 3>&-
  fault=""
  code=0 && wait "$measure" || code=$?
  if [ "$code" = 3 ]; then
    not_started=$((not_started + 1))
    echo "run $run not started, run again: $(cat measure.err) (files kept in $keep/start$not_started)" >&2
    kill "$sim" 2>/dev/null
    wait "$sim"
    mkdir -p "$keep/start$not_started" && cp ./*.out ./*.err "$keep/start$not_started/" 2>/dev/null
    run=$((run - 1))
    continue
  fi
  [ "$code" = 0 ] || fault="pzam-tool measure exited with $code"
  # The instrument ends a second after its last value; one left without a program is stopped.
  for _ in $(seq 100); do kill -0 "$sim" 2>/dev/null || break; sleep 0.05; done
  kill "$sim" 2>/dev/null || true
  code=0 && wait "$sim" || code=$?
  [ "$code" = 0 ] || fault="$fault pzam-sim exited with $code"
  end=$(date +%s.%N)
  sent=$(grep -c '@IST' sim.log || true)
  shown=$(grep -c "^S$run [0-9][0-9]:" measure.out || true)
  # Each recorded value against the value the gauge sent (IST field, "%8.3f").
  sed 's/.*@IST\(.\{8\}\).*/\1/' sim.log | awk '{ printf "%8.3f\n", $1 + 0 }' >sent.txt
  if [ "$save" = 1 ]; then
    xls_values ./*.xls >recorded.txt || true
  else
    tr -d '\r' <./*.csv | tail -n +2 | cut -d";" -f4 >recorded.txt || true
  fi
  if grep -q '^BAD$' recorded.txt; then
    echo "run $run: the Excel record file is not a valid worksheet" >&2
  fi
  rows=$(grep -vc '^BAD$' recorded.txt || true)
  changed=$(paste -d';' sent.txt recorded.txt | awk -F';' '$1 != $2 { n++ } END { print n + 0 }')
  lost=$((sent - rows))
  total_sent=$((total_sent + sent))
  total_lost=$((total_lost + lost))
  total_changed=$((total_changed + changed))
  [ "$lost" = 0 ] && [ "$changed" = 0 ] || fault="$fault values lost or changed"
  if [ -n "$fault" ]; then
    # Keep what the run left for a look, beside the folder the soak was started from.
    echo "run $run: $fault (files kept in $keep/run$run)" >&2
    mkdir -p "$keep/run$run" && cp ./*.out ./*.err sim.log "$keep/run$run/" 2>/dev/null || true
  fi
  printf '%4d %4s %6d %6d %6d %5d %8d %7d %4d %8d %8.1f\n' "$run" "$([ "$save" = 1 ] && echo xls ||
    echo csv)" "$sent" "$shown" "$rows" "$lost" "$changed" "$rss" "$fds" "$threads" \
    "$(echo "$end - $start" | bc)"
done
printf 'total: %d values sent in %d runs, %d lost, %d changed; %d runs not started\n' \
  "$total_sent" "$run" "$total_lost" "$total_changed" "$not_started"

if [ "$window_runs" -gt 0 ] && [ -x "$bin/pzam-program-memory" ]; then
  echo
  echo "windowed program, offscreen, $window_runs runs of 9999 values:"
  TMPDIR="$work" QT_QPA_PLATFORM=offscreen "$bin/pzam-program-memory" --runs "$window_runs"
fi
