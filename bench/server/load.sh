#!/usr/bin/env bash
# Requests per second of lumiqo-server under wrk on loopback: the start list and a link
# translation. Usage: bench/server/load.sh [SERVER_BINARY] [CATALOGUE_DB]
# Defaults: build/bin/lumiqo-server and build/demo-catalogue.db (./run.sh makes it).
# Installs wrk when it is missing. Each run is bounded: 10 s, 2 threads, 16 connections.
set -euo pipefail
cd "$(dirname "$0")/../.."
server=${1:-build/bin/lumiqo-server}
db=${2:-build/demo-catalogue.db}
port=${LUMIQO_BENCH_PORT:-18764}
seconds=${LUMIQO_BENCH_SECONDS:-10}
scripts/install-deps.sh wrk curl
[ -f "$db" ] || { echo "load.sh: no catalogue $db"; exit 1; }

"$server" serve --db "$db" --listen "127.0.0.1:$port" --quiet --threads 32 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$port/soft/mlist0.asp" >/dev/null && break; sleep 0.1; done

link=$(curl -s "http://127.0.0.1:$port/soft/mlist0.asp" | head -n1 | cut -d, -f3 | tr -d '\r')
for path in /soft/mlist0.asp "/soft/01.asp?ss=$link"; do
  echo "== GET $path"
  wrk -t2 -c16 -d"${seconds}s" "http://127.0.0.1:$port$path" | grep -E "Requests/sec|Latency|requests in|Non-2xx"
done
