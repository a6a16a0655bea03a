#!/usr/bin/env bash
# CI's Windows stage, under Wine: the core's unit tests (ctest, preset "windows"); pzam-tool.exe
# replay, spc and version against the Linux build's output for the same input (equal bytes); the
# installer installed silently into a fresh Wine prefix, PZAM.exe started from there under Xvfb,
# found by its title, photographed and closed (its settings file written beside it), then
# uninstalled; a mode 3 run of pzam-tool.exe measure through the Win32 comm backend on a
# pseudo-terminal mapped as COM5, every value answered and recorded; and the station's journal and
# publisher under Wine against a mosquitto on Linux, over MQTT and TLS.
# Needs the Linux default build (build/default). One line per check ("ok NAME" / "FAIL NAME:
# why"), ctest's summary, then "windows checks: P passed, F failed" (the ctest cases included).
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
passed=0
failed=0
ok() { echo "ok $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }
finish() {
  echo "windows checks: ${passed} passed, ${failed} failed"
  [ "$failed" -eq 0 ]
  exit
}
export WINEDEBUG=-all
# The Windows program draws on the X display through Wine's own driver, never offscreen.
unset QT_QPA_PLATFORM
export WINEDLLOVERRIDES="mscoree,mshtml="

# --- Build (the toolchain comes from its cache when it is there).
if ! bash scripts/build-windows.sh; then
  fail build "scripts/build-windows.sh failed"
  finish
fi
ok "build (preset windows)"
win=build/windows/bin
linux=build/default/bin

# One Wine prefix for the build tree's tests, made once.
export WINEPREFIX="$repo/build/windows/wine"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# --- The core's unit tests under Wine.
ctest --preset windows 2>&1 | tee build/ctest-windows.log
if read -r f total < <(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' \
    build/ctest-windows.log | tail -n 1); then
  passed=$((passed + total - f))
  failed=$((failed + f))
else
  fail ctest "no summary"
fi

work=$(mktemp -d)
chmod 755 "$work"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null
  [ -n "${broker_pid:-}" ] && kill "$broker_pid" 2>/dev/null
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
  wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# One X display for what makes windows (Wine makes no top-level window without one).
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export DISPLAY=$display

# --- The Win32 comm backend on a pseudo-terminal mapped as COM5: each event-character telegram
# delivered, "STO0\r" written back, the port watch's window told of device changes.
preload="$repo/build/windows/ptymodem.so"
cc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$preload" tests/wine/ptymodem.c -ldl
cc -O2 -Wall -Wextra -Werror -o build/windows/ptyline tests/wine/ptyline.c
timeout 300 build/windows/ptyline "$WINEPREFIX" com5 "$preload" wine "$win/wine_comm_test.exe" \
  >"$work/comm.log" 2>&1
if read -r p f < <(sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$work/comm.log"); then
  passed=$((passed + p))
  failed=$((failed + f))
  grep '^FAIL' "$work/comm.log"
  echo "wine_comm_test: $p passed, $f failed"
else
  fail wine_comm_test "$(tail -5 "$work/comm.log")"
fi

# --- pzam-tool.exe against the Linux pzam-tool: the same files and outputs, byte for byte.
# The same regional settings on both sides: "." and a 24-hour time (Linux: the C locale; Wine:
# English (United Kingdom), which it takes from the Linux locale it runs in; that locale is made
# here, in UTF-8, so names with umlauts reach the program as they are).
mkdir -p "$work/locale"
localedef -i en_GB -f UTF-8 "$work/locale/en_GB.UTF-8" 2>/dev/null ||
  echo "localedef could not make en_GB.UTF-8: Wine falls back to its own locale"
same_run() {  # name, then the pzam-tool arguments; run in two folders, compared whole
  local name=$1
  shift
  mkdir -p "$work/cmp/$name/linux" "$work/cmp/$name/windows"
  (cd "$work/cmp/$name/linux" && LC_ALL=C "$repo/$linux/pzam-tool" "$@" >stdout.txt 2>stderr.txt
   echo $? >exit.txt)
  (cd "$work/cmp/$name/windows" &&
   LOCPATH="$work/locale" LC_ALL=en_GB.UTF-8 wine "$repo/$win/pzam-tool.exe" "$@" >stdout.txt \
     2>stderr.txt
   echo $? >exit.txt)
  if diff -r "$work/cmp/$name/linux" "$work/cmp/$name/windows" >"$work/cmp/$name.diff"; then
    ok "pzam-tool.exe $name: equal bytes ($(ls "$work/cmp/$name/linux" | tr '\n' ' '))"
  else
    fail "pzam-tool.exe $name" "$(head -20 "$work/cmp/$name.diff")"
  fi
}
sample="$repo/samples/zam2000_mode0.cap"
same_run version version
same_run replay-csv replay --save 2 --batch CI --at "2026-12-09 10:00:00" "$sample"
same_run replay-xls replay --save 1 --batch "Prüf-Ä" --at "2026-12-09 10:00:00" "$sample"
same_run replay-decimal-comma replay --save 2 --batch K --decimal , --at "2026-12-09 10:00:00" \
  "$sample"
csv=$(ls "$work/cmp/replay-csv/linux/"*.csv | head -n 1)
cp "$csv" "$work/values.csv"
same_run spc spc "$work/values.csv"
same_run spc-limits spc --lsl 12.3 --usl 12.4 "$work/values.csv"
same_run gauge-study gauge-study --reference 12.345 --tolerance 0.1 "$work/values.csv"
same_run gauge-study-k-l gauge-study --reference 12.34 --tolerance 0.05 --k 10 --l 4 \
  "$work/values.csv"

# --- The station's plant data under Wine: pzam-plant-station.exe journals a run of values and
# publishes it with the real publisher to a broker of our own on Linux (mosquitto, its own
# configuration, free loopback ports, stopped at the end also on failure), over MQTT and over TLS
# with a CA made here by openssl. mosquitto_sub, subscribed in a session of its own before the
# station starts, reads what arrived: the run's start, every value once and in order, its end.
plant="$work/plant"
mkdir -p "$plant/certs"
free_port() {  # a loopback port nothing listens on now
  local p
  for _ in $(seq 1 50); do
    p=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
      echo "$p"
      return 0
    fi
  done
  return 1
}
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' >"$plant/certs/ext.cnf"
(cd "$plant/certs" &&
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key \
    -out ca.crt -days 2 -subj "/CN=P-ZAM test CA" &&
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key \
    -out server.csr -subj /CN=localhost &&
  openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt \
    -days 2 -extfile ext.cnf) >"$plant/certs.log" 2>&1 || fail "test CA" "$(tail -3 "$plant/certs.log")"
mqtt_port=$(free_port)
tls_port=$(free_port)
{
  echo "per_listener_settings false"
  echo "allow_anonymous true"
  echo "persistence true"
  echo "persistence_location $plant/"
  echo "max_queued_messages 0"
  echo "log_dest file $plant/mosquitto.log"
  [ "$(id -u)" -eq 0 ] && echo "user root"
  echo "listener $mqtt_port 127.0.0.1"
  echo "listener $tls_port 127.0.0.1"
  echo "cafile $plant/certs/ca.crt"
  echo "certfile $plant/certs/server.crt"
  echo "keyfile $plant/certs/server.key"
} >"$plant/mosquitto.conf"
start_broker() {
  mosquitto -c "$plant/mosquitto.conf" >>"$plant/mosquitto.out" 2>&1 &
  broker_pid=$!
  for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$tls_port") 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
stop_broker() {  # SIGTERM: the broker saves its sessions and their messages
  kill "$broker_pid" 2>/dev/null
  wait "$broker_pid" 2>/dev/null
  broker_pid=""
}
values=40
subscribe() {  # a session of its own for name, made before the station publishes
  mosquitto_sub -h 127.0.0.1 -p "$mqtt_port" -i "check-$1" -c -q 1 -t 'pzam/v1/+/run/#' -E \
    >/dev/null 2>&1
}
station() {  # name, broker URL, extra arguments: the station's run, journaled and drained
  local name=$1 url=$2
  shift 2
  mkdir -p "$plant/$name"
  (cd "$plant/$name" && timeout 120 wine "$repo/$win/pzam-plant-station.exe" \
    --dir "$(winepath -w "$plant/$name")" --broker "$url" --prefix "wine-$name" \
    --values "$values" --rate 50 --drain-seconds 60 "$@" >station.txt 2>station.err)
}
arrived() {  # name, what the check says: every message of the session, checked
  local name=$1 log="$plant/$1" want got
  mosquitto_sub -h 127.0.0.1 -p "$mqtt_port" -i "check-$name" -c -q 1 -t 'pzam/v1/+/run/#' -v \
    -W 4 >"$log/arrived.txt" 2>/dev/null
  # What should have arrived: start, values 1..N as 1 + seq / 1000, end with count N, one run.
  want=$( (echo start; seq 1 "$values" | awk '{printf "value %d %.3f\n", $1, 1 + $1 / 1000}'
    echo "end $values") | tr '\n' ';')
  got=$(awk '{
      n = split($1, t, "/"); kind = t[n]; runs[t[5]] = 1
      if (kind == "value") {
        match($0, /"seq":[0-9]+/); seq = substr($0, RSTART + 6, RLENGTH - 6)
        match($0, /"value":[-0-9.e+]+/); v = substr($0, RSTART + 8, RLENGTH - 8)
        printf "value %d %.3f\n", seq, v
      } else if (kind == "end") {
        match($0, /"count":[0-9]+/); print "end " substr($0, RSTART + 8, RLENGTH - 8)
      } else print kind
    } END { if (length(runs) != 1) print "runs " length(runs) }' "$log/arrived.txt" | tr '\n' ';')
  if grep -q '^drained' "$log/station.txt" && [ "$got" = "$want" ]; then
    ok "plant data under Wine, $2: start, $values values once and in order, end"
  else
    fail "plant data, $2" "$(cat "$log/station.txt" "$log/station.err" | tail -3) | \
arrived $(wc -l <"$log/arrived.txt") messages: $(echo "$got" | cut -c1-200)"
  fi
}
if start_broker; then
  subscribe mqtt
  station mqtt "mqtt://127.0.0.1:$mqtt_port"
  arrived mqtt "MQTT"
  subscribe tls
  station tls "mqtts://127.0.0.1:$tls_port" --ca-file "$(winepath -w "$plant/certs/ca.crt")"
  arrived tls "TLS with the test CA"
  # A broker that is away when the station starts: the station journals its run, tries again
  # with growing pauses, and sends everything once the broker is back.
  subscribe late
  stop_broker
  station late "mqtt://127.0.0.1:$mqtt_port" &
  station_pid=$!
  sleep 4
  start_broker
  wait "$station_pid"
  arrived late "broker started 4 s after the station"
else
  fail "mosquitto" "$(tail -5 "$plant/mosquitto.log" "$plant/mosquitto.out" 2>/dev/null)"
fi
# The journal made under Wine: others have no right to it (Wine turns the owner-only DACL into
# mode bits: the owner's, the group's less writing, none for others), and pzam-tool.exe runs and
# spc --run read it as the Linux pzam-tool does.
journal="$plant/mqtt/wine-mqtt.sqlite"
mode=$(stat -c %a "$journal" 2>/dev/null)
if [[ "$mode" =~ ^[67][0-7]0$ ]]; then ok "journal made under Wine: others have no right (mode $mode)"; else
  fail "journal rights" "mode '$mode' of $journal"
fi
mkdir -p "$plant/station"
cp "$journal" "$plant/station/pzam-journal.sqlite"
run_id=$(awk 'NR == 1 {n = split($1, t, "/"); print t[5]}' "$plant/mqtt/arrived.txt")
same_run runs runs --config "$plant/station/PZAMConfig.ini"
same_run spc-run spc --run "$run_id" --config "$plant/station/PZAMConfig.ini"
stop_broker

# --- The installer: made, installed silently into a fresh prefix, run, closed, uninstalled.
if installer=$(bash scripts/package-windows.sh | tail -n 1) && [ -f "$installer" ]; then
  ok "installer $(basename "$installer") ($(du -h "$installer" | cut -f1))"
else
  fail installer "scripts/package-windows.sh did not make an installer"
  finish
fi
zip="${installer%.exe}.zip"
# The listing goes to a file first: grep -q ends at its first match, and with pipefail the
# listing's broken pipe would fail the check.
unzip -l "$zip" >"$work/zip.txt" 2>&1
if [ -f "$zip" ] && grep -q 'PZAM.exe' "$work/zip.txt"; then ok "portable zip"; else fail zip "$zip"; fi

export WINEPREFIX="$work/prefix"
wineboot -i >/dev/null 2>&1
wineserver -w
wine "$installer" /S >/dev/null 2>&1
wineserver -w
target="$WINEPREFIX/drive_c/Program Files/P-ZAM"
missing=""
for f in PZAM.exe pzam-tool.exe lng_deutsch.lng lng_english.lng Qt6Core.dll Qt6Widgets.dll \
    platforms/qwindows.dll imageformats/qjpeg.dll libstdc++-6.dll Uninstall.exe; do
  [ -e "$target/$f" ] || missing+=" $f"
done
if [ -z "$missing" ]; then ok "installed into Program Files/P-ZAM"; else fail install "missing:$missing"; fi
menu=$(find "$WINEPREFIX/drive_c" -iname 'P-ZAM.lnk' 2>/dev/null | head -n 1)
if [ -n "$menu" ]; then ok "Start-menu entry ($(basename "$(dirname "$menu")")/P-ZAM.lnk)"; else fail menu "no P-ZAM.lnk"; fi

version=$(wine "$target/pzam-tool.exe" version 2>/dev/null | tr -d '\r')
if [ "$version" = "V1.10 Build 3" ]; then ok "installed pzam-tool.exe version ($version)"; else fail version "'$version'"; fi

# The first start reads its language from a settings file beside the program; closing writes
# the file back there (the folder is writable under Wine, as it is for a portable copy).
printf '[Language]\r\nLastLanguage=deutsch\r\n' >"$target/PZAMConfig.ini"
(cd "$target" && wine PZAM.exe >/dev/null 2>&1 &)
window=""
for _ in $(seq 1 60); do
  window=$(xdotool search --name ' V[0-9.]* Build [0-9]*$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 1
done
if [ -n "$window" ]; then
  title=$(xdotool getwindowname "$window")
  ok "PZAM.exe window: '$title'"
  sleep 3
  mkdir -p build/windows/shots
  import -window root -crop "$(xdotool getwindowgeometry --shell "$window" |
    awk -F= '/WIDTH/{w=$2}/HEIGHT/{h=$2}/^X/{x=$2}/^Y/{y=$2}END{print w"x"h"+"x"+"y}')" \
    build/windows/shots/pzam-wine.png 2>/dev/null &&
    ok "screenshot build/windows/shots/pzam-wine.png"
  # Closed as a user closes it: the window gets WM_CLOSE and writes its settings on the way out.
  wine taskkill /im PZAM.exe >/dev/null 2>&1
  for _ in $(seq 1 30); do
    pgrep -f 'PZAM.exe' >/dev/null || break
    sleep 1
  done
  if grep -q '^\[Serial\]' "$target/PZAMConfig.ini" && grep -q '^LastLanguage=deutsch' "$target/PZAMConfig.ini"; then
    ok "settings file written beside PZAM.exe at close"
  else
    fail settings "$target/PZAMConfig.ini: $(cat "$target/PZAMConfig.ini" 2>&1 | head -5)"
  fi
else
  fail "PZAM.exe window" "no window titled '... Vn.nn Build n' within 60 s"
fi
wineserver -k 2>/dev/null

wine "$target/Uninstall.exe" /S >/dev/null 2>&1
wineserver -w
sleep 2
if [ ! -e "$target/PZAM.exe" ] && [ -z "$(find "$WINEPREFIX/drive_c" -iname 'P-ZAM.lnk')" ]; then
  ok "uninstalled (the settings file stays: $(ls "$target" 2>/dev/null | tr '\n' ' '))"
else
  fail uninstall "$(ls "$target")"
fi

# --- A mode 3 run through the Win32 comm backend: pzam-sim's pseudo-terminal as COM5.
export WINEPREFIX="$repo/build/windows/wine"
run="$work/run"
mkdir -p "$run"
"$repo/$linux/pzam-sim" --instrument quorvant --port COM5 --config "$run/sim.ini" --count 25 \
  --interval 250 --seed 17 --log "$run/sim.log" >/dev/null 2>&1 &
sim_pid=$!
for _ in $(seq 1 50); do grep -q '^COM5=' "$run/sim.ini" 2>/dev/null && break; sleep 0.1; done
device=$(sed -n 's/^COM5=//p' "$run/sim.ini" | tr -d '\r')
rm -f "$WINEPREFIX/dosdevices/com5"
ln -s "$device" "$WINEPREFIX/dosdevices/com5"
( sleep 12; echo q ) | (cd "$run" && LOCPATH="$work/locale" LC_ALL=en_GB.UTF-8 \
  LD_PRELOAD="$preload" timeout 60 wine \
  "$repo/$win/pzam-tool.exe" measure --port COM5 --mode 3 --save 2 --batch WINE \
  >memo.txt 2>err.txt)
kill "$sim_pid" 2>/dev/null
wait "$sim_pid" 2>/dev/null
sim_pid=""
# Every value the simulated gauge sent is in the record file, in order, once; none went
# unanswered ("STO0\r" is the answer the gauge waits for before it counts a value as taken).
grep -E '^[+-][0-9]' "$run/sim.log" | awk '{printf "%.3f\n", $1}' >"$run/sent.txt"
record=$(ls "$run"/*_WINE.csv 2>/dev/null | head -n 1)
if [ -n "$record" ]; then
  tr -d '\r' <"$record" | tail -n +2 | awk -F';' '{printf "%.3f\n", $4}' >"$run/recorded.txt"
fi
if [ -n "$record" ] && [ -s "$run/sent.txt" ] && cmp -s "$run/sent.txt" "$run/recorded.txt" &&
    ! grep -q 'not acknowledged' "$run/sim.log"; then
  ok "mode 3 run on COM5 under Wine: all $(wc -l <"$run/sent.txt") values recorded, each answered"
else
  fail "mode 3 run" "sent $(wc -l <"$run/sent.txt" 2>/dev/null), recorded \
$(wc -l <"$run/recorded.txt" 2>/dev/null); $(grep -c 'not acknowledged' "$run/sim.log") unanswered; \
$(tail -5 "$run/err.txt" 2>/dev/null)"
fi
finish
