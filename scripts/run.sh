#!/usr/bin/env bash
# Builds P-ZAM (installing what is missing) and shows it taking live values from a simulated
# ZAM 2000 gauge on a pseudo-terminal. With a display: the program's windows, set up to use the
# simulated port. Without one: the same run through "pzam-tool measure" in this terminal, ten
# values, then the record file. Everything lands in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what the demonstration runs: the program, the two tools and the language files.
bash scripts/build.sh default PZAM pzam-tool pzam-sim pzam_languages

bin=build/default/bin
demo=build/demo
mkdir -p "$demo"
# The program reads its settings and language files beside its executable.
cp -f "$bin"/pzam-tool "$bin"/pzam-sim "$bin"/lng_*.lng "$demo"/
[ -x "$bin/PZAM" ] && cp -f "$bin/PZAM" "$demo"/
config="$demo/PZAMConfig.ini"
rm -f "$config"

# The simulated gauge: enters its port in [Ports] of the settings file, prints "COMn /dev/pts/N".
sim_out=$(mktemp)
"$demo/pzam-sim" --instrument zam --interval 700 --messages --config "$config" >"$sim_out" \
  2>"$demo/pzam-sim.log" &
sim_pid=$!
stop_sim() {
  kill -INT "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -f "$sim_out"
}
trap stop_sim EXIT
for _ in $(seq 50); do
  [ -s "$sim_out" ] && break
  sleep 0.1
done
read -r port device <"$sim_out" || { echo "run: the simulator did not start" >&2; exit 1; }
echo "Simulated ZAM 2000 gauge on $port ($device), a value every 0.7 s (log: $demo/pzam-sim.log)."

# Settings: that port with operating mode 0's line parameters, text record files, German texts.
com=$("$demo/pzam-tool" settings-text encode "COMPort=${port#COM}" Baudrate=9600 DataBits=4 \
  ParityBit=0 StopBits=0 DTRActive=0 RTSActive=0 EventChar=23 BufSizeTrm=16384 BufSizeRec=16384)
cat >>"$config" <<INI
[Serial]
COM=$com
[Select]
ReqMode=0
FileMode=2
CableType=0
QuorvMode=0
[Language]
LastLanguage=deutsch
INI

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$demo/PZAM" ]; then
  echo "Starting P-ZAM. Press \"Messung Initialisieren\": values arrive within a second."
  echo "\"Messung Beenden\" ends the run; the record file (.csv) lands in $demo/. Closing the window ends the demonstration."
  (cd "$demo" && ./PZAM)
  exit 0
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): the same run in this terminal."
else
  echo "The windows are not built yet: the same run in this terminal."
fi
echo "Memo lines: batch, time, count, value, mean, deviation, maximum, minimum."
values=10
coproc MEASURE {
  cd "$demo" && exec ./pzam-tool measure --port "$port" --config PZAMConfig.ini --mode 0 \
    --save 2 --language deutsch 2>&1
}
measure_pid=$MEASURE_PID  # bash unsets MEASURE_PID when the program ends
seen=0
while IFS= read -r line <&"${MEASURE[0]}"; do
  printf '%s\n' "$line"
  if [[ $line =~ ^-----\ [0-9]{2}:[0-9]{2}:[0-9]{2}\  ]]; then
    seen=$((seen + 1))
    [ "$seen" -eq "$values" ] && echo q >&"${MEASURE[1]}"
  fi
done
wait "$measure_pid" || true
record=$(ls -t "$demo"/*.csv 2>/dev/null | head -1)
if [ -n "$record" ]; then
  echo
  echo "Record file $record (fields separated by \";\"):"
  tr -d '\r' <"$record"
fi
