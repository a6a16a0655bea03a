#!/usr/bin/env bash
# CPU time of the program's windows with a running measurement on an open port and nothing
# arriving: a simulated gauge that would send its first value only after an hour.
# Usage: bench/e2e/program_idle_cpu.sh [BIN_DIR] [SECONDS]   (default build/default/bin, 60)
set -euo pipefail
bin=$(cd "${1:-build/default/bin}" && pwd)
seconds=${2:-60}
work=$(mktemp -d /tmp/pzam-program-idle-XXXXXX)
cp "$bin"/lng_*.lng "$work"/
"$bin/pzam-sim" --instrument zam --interval 3600000 --config "$work/PZAMConfig.ini" \
  >"$work/sim.out" 2>"$work/sim.err" &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
read -r port _ <"$work/sim.out"
com=$("$bin/pzam-tool" settings-text encode "COMPort=${port#COM}" Baudrate=9600 DataBits=4 \
  ParityBit=0 StopBits=0 EventChar=23)
printf '[Serial]\nCOM=%s\n[Select]\nReqMode=0\nFileMode=0\nCableType=0\nQuorvMode=0\n[Language]\nLastLanguage=deutsch\n' \
  "$com" >>"$work/PZAMConfig.ini"
QT_QPA_PLATFORM=offscreen "$bin/pzam-startup-time" --idle "$work" "$seconds" 2>/dev/null || status=$?
kill -INT "$sim"
wait "$sim" || true
rm -rf "$work"
exit "${status:-0}"
