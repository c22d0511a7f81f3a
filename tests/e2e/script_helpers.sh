# Sourced by the whole-program test scripts: results, waiting, a work folder, and a
# lumiqo-server serving a catalogue on a free port of 127.0.0.1.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
# Waits up to $1 seconds for the command after it to succeed: by the clock, however long one
# try takes (a question to the accessibility bus takes a while on a loaded machine).
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# A work folder with a player's private folders (run, home, data, config) and music/; sets work.
make_work_folder() { # name
  work=$(mktemp -d "/tmp/lumiqo-$1.XXXXXX") || return 1
  mkdir -p "$work/run" "$work/home" "$work/data" "$work/config" "$work/music"
  chmod 700 "$work/run"
}

# A tone of `seconds` at `frequency` Hz as MP3, with a title and an artist.
make_song() { # file title artist frequency seconds
  ffmpeg -loglevel error -f lavfi -i "sine=frequency=$4:duration=$5" -ac 2 -ar 44100 -b:a 64k \
    -metadata title="$2" -metadata artist="$3" "$1"
}

# Imports $work/music and serves it; sets port, origin and server_pid. The access log is
# $work/server.log.
serve_catalogue() { # lumiqo-server
  "$1" import "$work/music" --db "$work/catalogue.db" >/dev/null 2>"$work/import.log" ||
    { echo "import failed:"; cat "$work/import.log"; return 1; }
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  origin=http://127.0.0.1:$port
  "$1" serve --db "$work/catalogue.db" --listen "127.0.0.1:$port" 2>"$work/server.log" &
  server_pid=$!
  wait_for 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" 2>/dev/null || { echo "the server does not answer"; return 1; }
}

# The play links of a site page, in order.
play_links() { # address
  python3 -c "import urllib.request, re, sys
page = urllib.request.urlopen(sys.argv[1]).read().decode()
print('\n'.join(re.findall(r'href=\"(qorvex://[^\"]+)\"', page)))" "$1"
}

# True once the server has sent the stream of the catalogue link $1 (any link: "[a-z0-9]+")
# at least $2 times (default 1).
streamed() { # link [times]
  [ "$(grep -cE "GET /[a-z0-9]+/$1\\.mp3 20[06] " "$work/server.log")" -ge "${2:-1}" ]
}
