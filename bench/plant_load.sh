#!/usr/bin/env bash
# The plant under load on this machine: simulated stations (pzam-plant-station: the program's
# journal and publisher) against one mosquitto and one pzam-tool collect into one PostgreSQL.
#   1. full load: STATIONS stations at RATE values/s each for SECONDS seconds: values/s held, the
#      latency from journaling to the commit in PostgreSQL (p50, p99), CPU of collector and broker;
#   2. backlog: BACKLOG values journaled while no broker runs, then the time to drain them.
# Usage: bench/plant_load.sh [BUILD_DIR]   (default build/default; needs the tests built)
# Runs as root (PostgreSQL as the system user pzam-pg) or as an ordinary user.
set -euo pipefail
build=$(realpath "${1:-build/default}")
bin="$build/bin"
stations=${STATIONS:-100} rate=${RATE:-20} seconds=${SECONDS_LOAD:-30} backlog=${BACKLOG:-1000000}
# Stations are simulated by this many processes (each its own MQTT client library instance, as
# separate stations would be); FAST_JOURNAL=1 leaves the journals' commits unsynced, as if each
# station had a disk of its own rather than all sharing this machine's.
procs=${SIM_PROCESSES:-4}
pgbin=/usr/lib/postgresql/15/bin
work=$(mktemp -d /tmp/pzam-plant-load-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  as_pg "$pgbin/pg_ctl" -D "$work/pg" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
as_pg() {
  if [ "$(id -u)" = 0 ]; then setpriv --reuid=pzam-pg --regid=pzam-pg --clear-groups -- "$@"; else "$@"; fi
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# run_stations BROKER_PORT VALUES RATE FAST DRAIN_SECONDS LOG: the stations in $procs processes.
run_stations() {
  local sims=() i
  for ((i = 0; i < procs; i++)); do
    "$bin/pzam-plant-station" --dir "$work" --broker "mqtt://127.0.0.1:$1" --prefix "load$i-" \
      --stations $((stations / procs)) --values "$2" --rate "$3" --fast-journal "$4" \
      --drain-seconds "$5" >>"$6" 2>&1 &
    sims+=($!)
  done
  sim_pids="${sims[*]}"
  for p in "${sims[@]}"; do wait "$p" || true; done
}
sim_ticks() { local t=0 p; for p in $sim_pids; do t=$((t + $(cpu_ticks "$p" 2>/dev/null || echo 0))); done; echo $t; }
hz=$(getconf CLK_TCK)

# PostgreSQL
[ "$(id -u)" = 0 ] && ! id pzam-pg >/dev/null 2>&1 && useradd --system --no-create-home --shell /usr/sbin/nologin pzam-pg
mkdir "$work/pg"; [ "$(id -u)" = 0 ] && chown pzam-pg: "$work/pg"
pgport=$(free_port)
as_pg "$pgbin/initdb" -D "$work/pg" -U postgres --auth=trust -E UTF8 >/dev/null
as_pg "$pgbin/pg_ctl" -D "$work/pg" -l "$work/pg/log" -w \
  -o "-p $pgport -k $work/pg -c listen_addresses=127.0.0.1" start >/dev/null
db="host=127.0.0.1 port=$pgport dbname=postgres user=postgres"
sql() { psql -X -q -t -A -h 127.0.0.1 -p "$pgport" -U postgres -d postgres -c "$1"; }

# mosquitto
mqport=$(free_port)
mkdir "$work/broker"
cat > "$work/broker/mosquitto.conf" <<CONF
persistence true
persistence_location $work/broker/
autosave_interval 1
log_dest file $work/broker/log
max_queued_messages 0
max_inflight_messages 0
set_tcp_nodelay true
allow_anonymous true
listener $mqport 127.0.0.1
$( [ "$(id -u)" = 0 ] && echo "user root" )
CONF
start_broker() { mosquitto -c "$work/broker/mosquitto.conf" & broker=$!; pids+=("$broker"); sleep 0.5; }
start_collector() {
  "$bin/pzam-tool" collect --broker "mqtt://127.0.0.1:$mqport" --db "$db" --client-id bench \
    2>"$work/collector.log" & collector=$!; pids+=("$collector"); sleep 1
}
start_broker
start_collector

echo "== full load: $stations stations x $rate values/s for $seconds s"
values=$((rate * seconds))
c0=$(cpu_ticks "$collector"); b0=$(cpu_ticks "$broker"); t0=$(date +%s.%N)
run_stations "$mqport" "$values" "$rate" "${FAST_JOURNAL:-0}" 600 "$work/stations.log"
total=$(((stations / procs) * procs * values))
until [ "$(sql 'SELECT count(*) FROM pzam.measured_value')" -ge "$total" ]; do sleep 0.2; done
t1=$(date +%s.%N); c1=$(cpu_ticks "$collector"); b1=$(cpu_ticks "$broker")
elapsed=$(echo "$t1 - $t0" | bc -l)
echo "values stored: $(sql 'SELECT count(*) FROM pzam.measured_value') of $total in ${elapsed} s"
echo "values/s overall: $(echo "$total / $elapsed" | bc -l | cut -c1-8) (from the stations' start to the last commit)"
sql "SELECT 'values/s journaled ' || round(count(*) / extract(epoch FROM max(measured_at) - min(measured_at)))
          || ', committed ' || round(count(*) / extract(epoch FROM max(stored_at) - min(stored_at)))
          || ' (first to last value)' FROM pzam.measured_value"
sql "SELECT 'latency ms p50 ' || round(percentile_cont(0.5) WITHIN GROUP (ORDER BY ms)::numeric, 1)
          || '  p99 ' || round(percentile_cont(0.99) WITHIN GROUP (ORDER BY ms)::numeric, 1)
          || '  max ' || round(max(ms)::numeric, 1)
     FROM (SELECT extract(epoch FROM stored_at - measured_at) * 1000 AS ms FROM pzam.measured_value) x"
echo "CPU collector: $(echo "($c1 - $c0) / $hz / $elapsed * 100" | bc -l | cut -c1-5) %  broker: $(echo "($b1 - $b0) / $hz / $elapsed * 100" | bc -l | cut -c1-5) %  (of one core)"

echo "== backlog: $backlog values journaled with no broker, then drained"
kill "$broker" "$collector"; wait "$broker" "$collector" 2>/dev/null || true
rm -f "$work"/load*.sqlite*
sql 'TRUNCATE pzam.measured_value, pzam.run' >/dev/null
per=$((backlog / stations))
stations=$(((stations / procs) * procs))
tj=$(date +%s.%N)
run_stations 1 "$per" 1000000 1 0 "$work/journal.log"
echo "journaled $((per * stations)) values in $(echo "$(date +%s.%N) - $tj" | bc -l | cut -c1-6) s (unsynced commits, only to build the backlog)"
start_broker
start_collector
c0=$(cpu_ticks "$collector"); b0=$(cpu_ticks "$broker"); t0=$(date +%s.%N)
run_stations "$mqport" "$per" 20 1 3600 "$work/drain.log" &
runner=$!; pids+=("$runner"); sleep 0.2
until [ "$(sql 'SELECT count(*) FROM pzam.measured_value')" -ge "$((per * stations))" ]; do
  sleep 0.5
done
t1=$(date +%s.%N); c1=$(cpu_ticks "$collector"); b1=$(cpu_ticks "$broker")
elapsed=$(echo "$t1 - $t0" | bc -l)
echo "drained $((per * stations)) values in ${elapsed} s: $(echo "$per * $stations / $elapsed" | bc -l | cut -c1-8) values/s"
echo "CPU collector: $(echo "($c1 - $c0) / $hz / $elapsed * 100" | bc -l | cut -c1-5) %  broker: $(echo "($b1 - $b0) / $hz / $elapsed * 100" | bc -l | cut -c1-5) %  (of one core)"
wait "$runner" || true
