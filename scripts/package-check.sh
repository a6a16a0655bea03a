#!/usr/bin/env bash
# CI checks of the Debian package: builds it (scripts/package.sh), runs lintian,
# desktop-file-validate and appstreamcli validate, unpacks it with dpkg -x into a temporary root
# and runs it from there: pzam-tool version, pzam-tool replay of the shipped sample capture, and
# PZAM offscreen as an ordinary user with HOME in a temporary folder and the program folder not
# writable: the settings go to $HOME/.config/pzam/PZAMConfig.ini at close and come back at the
# next start. One line per check ("ok NAME" / "FAIL NAME: why"), then
# "package checks: P passed, F failed". Runs as root (it unpacks and switches users).
set -uo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
ok() { echo "ok $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }
finish() {
  echo "package checks: ${passed} passed, ${failed} failed"
  [ "$failed" -eq 0 ]
  exit
}

if ! deb=$(bash scripts/package.sh | tail -n 1) || [ ! -f "$deb" ]; then
  fail package "scripts/package.sh did not make a package"
  finish
fi
ok "package $(basename "$deb")"

# lintian: no error, and every warning left is one the README names with its reason.
lintian_log=build/package/lintian.log
lintian --tag-display-limit 0 "$deb" >"$lintian_log" 2>&1
if grep -q '^E: ' "$lintian_log"; then
  fail lintian "errors: $(grep '^E: ' "$lintian_log" | tr '\n' ' ')"
else
  unlisted=""
  for tag in $(sed -n 's/^W: [^:]*: \([^ ]*\).*/\1/p' "$lintian_log" | sort -u); do
    grep -q "^| \`$tag\`" README.md || unlisted+=" $tag"
  done
  if [ -n "$unlisted" ]; then fail lintian "warnings not listed in the README:$unlisted"; else ok lintian; fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
root="$work/root"
dpkg -x "$deb" "$root"

if desktop-file-validate "$root/usr/share/applications/pzam.desktop"; then
  ok desktop-file-validate
else
  fail desktop-file-validate "see above"
fi
if appstreamcli validate --no-net "$root/usr/share/metainfo/pzam.metainfo.xml" >"$work/as.log" 2>&1; then
  ok "appstreamcli validate"
else
  fail "appstreamcli validate" "$(cat "$work/as.log")"
fi

version=$("$root/usr/bin/pzam-tool" version 2>&1)
if [[ $version =~ ^V[0-9]+\.[0-9]+\ Build\ [0-9]+$ ]]; then
  ok "pzam-tool version ($version)"
else
  fail "pzam-tool version" "printed '$version'"
fi

mkdir "$work/replay"
if (cd "$work/replay" && "$root/usr/bin/pzam-tool" replay --save 2 --batch CI \
    --at "2026-12-09 10:00:00" "$root/usr/share/doc/pzam/examples/zam2000_mode0.cap" \
    >memo.txt 2>err.txt); then
  record=$(ls "$work"/replay/*_CI.csv 2>/dev/null | head -n 1)
  if [ -n "$record" ] && [ "$(wc -l <"$record")" -gt 1 ]; then
    ok "pzam-tool replay ($(basename "$record"), $(wc -l <"$record") lines)"
  else
    fail "pzam-tool replay" "no record file with values"
  fi
else
  fail "pzam-tool replay" "$(cat "$work/replay/err.txt")"
fi

# The program as an ordinary user: the unpacked folder belongs to root, so it is not writable.
user=pzam-ci
id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
home="$work/home"
mkdir "$home"
chown "$user:" "$home"
as_user() {
  exec setpriv --reuid="$user" --regid="$user" --clear-groups -- env -i HOME="$home" \
    PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "$@"
}
# Starts the unpacked program, waits until it handles SIGTERM (the SigCgt mask of its status),
# sends it as a session's end would, and waits for the end.
run_program() {
  (cd "$home" && as_user "$root/usr/bin/pzam" >>"$work/pzam.log" 2>&1) &
  local pid=$! i mask
  for i in $(seq 200); do
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
    [ -n "$mask" ] && [ $(((0x$mask >> 14) & 1)) -eq 1 ] && break
    sleep 0.05
  done
  sleep 0.5
  kill -TERM "$pid" 2>/dev/null || return 1
  wait "$pid"
}
ini="$home/.config/pzam/PZAMConfig.ini"
if ! run_program; then
  fail "program first start" "PZAM did not start: $(tail -5 "$work/pzam.log")"
elif [ ! -f "$ini" ]; then
  fail "program first start" "no $ini after close: $(tail -5 "$work/pzam.log")"
elif [ -e "$root/usr/lib/pzam/PZAMConfig.ini" ]; then
  fail "program first start" "settings written into the program folder"
else
  ok "program writes its settings to \$HOME/.config/pzam/PZAMConfig.ini"
  # Choices changed as the settings window would store them, then a restart must keep them.
  sed -i 's/^ReqMode=.*/ReqMode=3/; s/^LastLanguage=.*/LastLanguage=english/' "$ini"
  if run_program && grep -qx 'ReqMode=3' "$ini" && grep -qx 'LastLanguage=english' "$ini"; then
    ok "program reads its settings back at the next start"
  else
    fail "program restart" "choices lost: $(tr '\n' ' ' <"$ini")"
  fi
fi

# pzam-sim enters its port where the program and pzam-tool look, without --config.
(as_user "$root/usr/bin/pzam-sim" --instrument zam >"$work/sim.out" 2>"$work/sim.err") &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
read -r port device <"$work/sim.out" || port=""
if [ -n "$port" ] && (as_user "$root/usr/bin/pzam-tool" ports) | grep -q "^$port $device"; then
  ok "pzam-sim and pzam-tool ports share the user's settings file ($port)"
else
  fail "pzam-sim port" "$(cat "$work/sim.err") / $( (as_user "$root/usr/bin/pzam-tool" ports) 2>&1)"
fi
kill -TERM "$sim" 2>/dev/null
wait "$sim" 2>/dev/null
finish
