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
