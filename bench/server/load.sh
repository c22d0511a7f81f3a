#!/usr/bin/env bash
# lumiqo-server under load on loopback, measured with wrk:
#   1. list and search latency (p99) from a normal client, alone and beside 1 000 idle or
#      slow connections;
#   2. 256 connections for 30 s: requests, time-outs and errors;
#   3. list latency (p99) while a song streams to 100 slow listeners;
#   4. throughput with 16 connections, beside nginx serving the same reply bytes as static
#      files.
# Usage: bench/server/load.sh [SERVER_BINARY] [CATALOGUE_DB]
# Defaults: build/bin/lumiqo-server and build/demo-catalogue.db (./run.sh makes it).
# Installs wrk, nginx and curl when they are missing. Everything listens on 127.0.0.1.
# LUMIQO_BENCH_SECONDS (default 10) bounds each measuring run, LUMIQO_BENCH_LONG_SECONDS
# (default 30) the 256-connection run, LUMIQO_BENCH_ROUNDS (default 3) the turns of measure 4;
# LUMIQO_BENCH_SERVER_ARGS adds server arguments;
# LUMIQO_BENCH_MEASURES (default "1 2 3 4") chooses the measures.
set -euo pipefail
cd "$(dirname "$0")/../.."
server=${1:-build/bin/lumiqo-server}
db=${2:-build/demo-catalogue.db}
port=${LUMIQO_BENCH_PORT:-18764}
nginx_port=$((port + 1))
seconds=${LUMIQO_BENCH_SECONDS:-10}
long_seconds=${LUMIQO_BENCH_LONG_SECONDS:-30}
rounds=${LUMIQO_BENCH_ROUNDS:-3}
measures=" ${LUMIQO_BENCH_MEASURES:-1 2 3 4} "
wanted() { [[ $measures == *" $1 "* ]]; }
scripts/install-deps.sh wrk nginx curl
[ -f "$db" ] || { echo "load.sh: no catalogue $db"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck disable=SC2086
"$server" serve --db "$db" --listen "127.0.0.1:$port" --quiet ${LUMIQO_BENCH_SERVER_ARGS:-} &
pids+=($!)
base=http://127.0.0.1:$port
for _ in $(seq 50); do curl -sf "$base/soft/mlist0.asp" >/dev/null && break; sleep 0.1; done

# What the player asks for: the start list, a translation, a title search, a song's stream.
gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; }
link=$(curl -s "$base/soft/mlist0.asp" | head -n1 | cut -d, -f3 | tr -d '\r')
list=/soft/mlist0.asp
translation="/soft/01.asp?ss=$link"
search="/soft/mlist_soso.asp?gs=$(gbk_hex 的)&t=0"
stream_hex=$(curl -s "$base$translation" | cut -d, -f1)
stream_path=$(printf '%b' "$(printf '%s' "$stream_hex" | sed 's/../\\x&/g')")
cookies=$(curl -si -H 'Cookie: uuauth=qv;' "$base/getuuauthcode/")
pin=$(printf '%s' "$cookies" | sed -n 's/^Set-Cookie: pin=\([0-9a-f]*\);.*/\1/p')
tflag=$(printf '%s' "$cookies" | sed -n 's/^Set-Cookie: tflag=\([0-9]*\);.*/\1/p')
stream="/$stream_path?tflag=$tflag&pin=$pin&ip=127.0.0.1"
stream_bytes=$(curl -s "$base$stream" | wc -c)
echo "lumiqo-server $server on $base; the stream $stream_path has $stream_bytes bytes"

# Runs wrk and prints its figures on one line: requests/s, p50, p99, errors.
measure() { # label connections seconds url
  local out threads=2
  [ "$2" -gt 1 ] || threads=1
  out=$(wrk -t"$threads" -c"$2" -d"$3s" --timeout 2s --latency "$4" 2>&1)
  awk -v label="$1" '
    /Requests\/sec/ { rps = $2 }
    /^ +50%/ { p50 = $2 }
    /^ +99%/ { p99 = $2 }
    /requests in/ { total = $1 }
    /Socket errors/ { errors = $0; sub(/^ +Socket errors: /, "", errors) }
    /Non-2xx/ { non2xx = $NF }
    END {
      printf "  %-44s %9s req/s  p50 %8s  p99 %8s  requests %s  errors: %s  non-2xx: %s\n",
             label, rps, p50, p99, total, (errors == "" ? "none" : errors), (non2xx == "" ? 0 : non2xx)
    }' <<<"$out"
}

rps_of() { awk '{ for (i = 2; i <= NF; i++) if ($i == "req/s") print $(i - 1) }' <<<"$1"; }

# Starts clients.py and waits until its connections are open.
start_clients() { # output-file args...
  local out=$1
  shift
  python3 bench/server/clients.py "$@" >"$out" &
  pids+=($!)
  for _ in $(seq 600); do grep -q ready "$out" && return; sleep 0.1; done
  echo "load.sh: clients.py did not get its connections open"
}
stop_clients() { # output-file
  kill "${pids[-1]}"
  wait "${pids[-1]}" 2>/dev/null || true
  unset 'pids[-1]'
  grep -v ready "$1" || true
}

# A normal client: one connection, one request after the other.
if wanted 1; then
  echo "== 1. a normal client: list and search latency, alone and beside 1000 idle or slow connections"
  measure "list, alone" 1 "$seconds" "$base$list"
  measure "search, alone" 1 "$seconds" "$base$search"
  start_clients "$work/slow.txt" slow "$port" 1000
  measure "list, beside 1000 idle or slow connections" 1 "$seconds" "$base$list"
  measure "search, beside 1000 idle or slow connections" 1 "$seconds" "$base$search"
  stop_clients "$work/slow.txt"
fi

if wanted 2; then
  echo "== 2. 256 connections for ${long_seconds} s"
  measure "list, 256 connections" 256 "$long_seconds" "$base$list"
fi

if wanted 3; then
  echo "== 3. a normal client's list latency while the song streams to 100 slow listeners (16 KB/s each)"
  measure "list, alone" 1 "$seconds" "$base$list"
  start_clients "$work/listeners.txt" listen "$port" 100 "$stream" 16000
  measure "list, beside 100 listeners" 1 "$seconds" "$base$list"
  stop_clients "$work/listeners.txt"
fi

wanted 4 || exit 0
echo "== 4. throughput with 16 connections, beside nginx serving the same bytes as files"
mkdir -p "$work/root/soft" "$work/nginx"
curl -s "$base$list" >"$work/root/soft/mlist0.asp"
curl -s "$base$translation" >"$work/root/soft/01.asp"
chmod -R a+rX "$work"
cat >"$work/nginx.conf" <<EOF
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  keepalive_requests 1000000;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  default_type "text/plain; charset=GBK";
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/root;
  }
}
EOF
nginx -e "$work/nginx/error.log" -c "$work/nginx.conf" -p "$work/nginx" -g 'daemon off;' &
pids+=($!)
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$nginx_port$list" >/dev/null && break; sleep 0.1; done
# Side by side, in turns, so that both meet the same load of the machine; the ratio is the
# median of the rounds'.
for path in "$list" "$translation"; do
  ratios=()
  for round in $(seq "$rounds"); do
    ours=$(measure "round $round: lumiqo-server $path" 16 "$seconds" "$base$path")
    theirs=$(measure "round $round: nginx, the same bytes" 16 "$seconds" "http://127.0.0.1:$nginx_port$path")
    echo "$ours"
    echo "$theirs"
    ratios+=("$(awk -v a="$(rps_of "$ours")" -v b="$(rps_of "$theirs")" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')")
  done
  echo "  lumiqo-server / nginx on $path: ${ratios[*]} (median $(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'))"
done
