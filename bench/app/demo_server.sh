# Sourced by the figure scripts: the demo catalogue (made once into BUILD/demo-catalogue),
# imported into WORK/catalogue.db and served on a free loopback port. Sets port and server_pid.
serve_demo_catalogue() { # ROOT BUILD WORK
  local root=$1 build=$2 work=$3
  local demo=$build/demo-catalogue
  if [ ! -f "$demo/.complete" ]; then
    echo "making the demo catalogue in $demo (once)"
    "$root/tools/make-demo-catalogue" "$demo" >/dev/null
  fi
  "$build/bin/lumiqo-server" import "$demo" --db "$work/catalogue.db" >/dev/null 2>&1
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  "$build/bin/lumiqo-server" serve --db "$work/catalogue.db" --listen "127.0.0.1:$port" 2>/dev/null &
  server_pid=$!
}
# A qorvex:// link to the first song of the served start list, as a web page hands it over.
# Sets link (the song's catalogue link) and qlink.
first_song_link() { # WORK
  for _ in $(seq 100); do curl -sf -o "$1/mlist0" "http://127.0.0.1:$port/soft/mlist0.asp" && break; sleep 0.1; done
  link=$(head -1 "$1/mlist0" | cut -d, -f3 | tr -d '\r')
  local title artist
  title=$(printf '%s' Work | od -An -tx1 | tr -d ' \n')
  artist=$(printf '%s' Bench | od -An -tx1 | tr -d ' \n')
  qlink="qorvex://zembrol=${title}_${artist}_$link"
}
