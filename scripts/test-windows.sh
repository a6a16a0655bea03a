#!/usr/bin/env bash
# CI's Windows stage, under Wine: the core's unit tests (ctest, preset "windows"); pzam-tool.exe
# replay, spc and version against the Linux build's output for the same input (equal bytes); the
# installer installed silently into a fresh Wine prefix, PZAM.exe started from there under Xvfb,
# found by its title, photographed and closed (its settings file written beside it), then
# uninstalled; and a mode 3 run of pzam-tool.exe measure through the Win32 comm backend on a
# pseudo-terminal mapped as COM5, every value answered and recorded.
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
