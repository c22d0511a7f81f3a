#!/usr/bin/env bash
# What each player's stream costs the sound server, counted as well as timed. A private
# PulseAudio with a null sink and a recorder on its monitor every 20 ms (as the shared
# comparison has it) serves Lumiqo, ffplay and mpv in turn, each playing the same demo song;
# for every turn it gives the server's context switches and system calls a second (counts:
# they do not depend on what a wake-up costs on this machine) and its processor time, and the
# same with nobody playing, which is the recorder's and the sink's own share.
# Usage: bench/app/sound_server_work.sh [BUILD_DIR]   (ROUNDS=3 SECONDS_WORK=20
#        PLAYERS="none lumiqo ffplay mpv" STEADY=1 as in desktop_figures.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${ROUNDS:-3}
seconds=${SECONDS_WORK:-20}
players=${PLAYERS:-"none lumiqo ffplay mpv"}
"$root/scripts/install-deps.sh" mpv ffmpeg pulseaudio pulseaudio-utils xvfb openbox xdotool x11-utils

# shellcheck source=../../scripts/virtual-display.sh
. "$root/scripts/virtual-display.sh"
# shellcheck source=demo_server.sh
. "$here/demo_server.sh"
# shellcheck source=private_pulse.sh
. "$here/private_pulse.sh"

work=$(mktemp -d /tmp/lumiqo-sound-work.XXXXXX)
mkdir -p "$work/home"
server_pid="" pulse="" recorder="" warmer=""
cleanup() {
  for pid in $recorder $pulse $server_pid $warmer; do kill "$pid" 2>/dev/null || true; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

serve_demo_catalogue "$root" "$build" "$work"
start_virtual_display || { echo "no virtual desktop"; exit 1; }
export HOME=$work/home
start_private_pulse "$work"
# shellcheck source=steady.sh
. "$here/steady.sh"
start_warmer "$build"

# The first song of the start list: a link for Lumiqo, its file for the others.
first_song_link "$work"
song=$build/demo-catalogue/$(sed -n '/^\[start\]/{n;p;q}' "$build/demo-catalogue/catalogue.ini" | tr -d '\r')
cp -r "$build/bin" "$work/app" # the player writes beside itself

PYTHONPATH=$here python3 - "$pulse" "$rounds" "$seconds" "$players" "$work/app/lumiqo" "$qlink" "$song" "$port" <<'PY'
import shutil, statistics, subprocess, sys, time

import thread_counts

pulse, rounds, seconds, players, lumiqo, qlink, song, port = sys.argv[1:]
rounds, seconds, players = int(rounds), int(seconds), players.split()
perf = shutil.which("perf")
commands = {
    "none": None,
    "lumiqo": ["env", f"LUMIQO_SERVER=127.0.0.1:{port}", "QT_QPA_PLATFORM=xcb", lumiqo, qlink],
    "ffplay": ["env", "SDL_AUDIODRIVER=pulseaudio", "ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet", song],
    "mpv": ["mpv", "--no-video", "--ao=pulse", "--really-quiet", song],
}

def syscalls():
    """System calls a second, when perf can count them here (None otherwise)."""
    if not perf:
        return None
    out = subprocess.run([perf, "stat", "-x,", "-e", "raw_syscalls:sys_enter", "-p", pulse, "--", "sleep", str(seconds)],
                         capture_output=True, text=True).stderr
    try:
        return int(out.strip().splitlines()[-1].split(",")[0]) / seconds
    except (IndexError, ValueError):
        return None

figures = {p: [] for p in players}
for _ in range(rounds):
    for name in players:
        player = subprocess.Popen(commands[name], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) if commands[name] else None
        time.sleep(5)  # started, buffered, steady
        before = thread_counts.read(pulse); t0 = time.monotonic()
        calls = syscalls()
        if calls is None:
            time.sleep(seconds)
        ns, sw = thread_counts.since(before, thread_counts.read(pulse)); dt = time.monotonic() - t0
        alive = player is None or player.poll() is None
        if player:
            player.terminate(); player.wait()
        time.sleep(1)
        if alive:
            figures[name].append((sw / dt, calls, ns / dt / 1e7))

def median(values, digits):
    values = [v for v in values if v is not None]
    if not values:
        return "-"
    return f"{statistics.median(values):.{digits}f} ({min(values):.{digits}f}-{max(values):.{digits}f})"

print(f"sound server, {seconds} s a turn, {rounds} rounds: median (range)")
print(f"{'playing':8} {'switches/s':>18} {'system calls/s':>22} {'CPU % of a core':>20}")
for name, rows in figures.items():
    if not rows:
        print(f"{name:8} did not play"); continue
    sw, calls, cpu = zip(*rows)
    print(f"{name:8} {median(sw, 0):>18} {median(calls, 0):>22} {median(cpu, 2):>20}")
PY
