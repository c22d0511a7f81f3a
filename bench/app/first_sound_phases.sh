#!/usr/bin/env bash
# Where a cold start with a link spends its time on the way to the first sound, phase by phase,
# without changing the program: probes (uprobes) on a copy of the player mark the entry of
# main, of the main window's constructor and load handler, of the first catalogue request, of
# the link's timer, its tick, the stream's opening and its end, the stream start tick and
# the first play. The desktop is the comparison's (window manager, tray, compositing manager,
# PulseAudio with a null sink and a 20 ms recorder on its monitor). Figures only.
# Usage: bench/app/first_sound_phases.sh [BUILD_DIR]   (RUNS=10; STEADY=0 as in
#        desktop_figures.sh). Needs root for the probes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${RUNS:-10}
"$root/scripts/install-deps.sh" linux-perf pulseaudio pulseaudio-utils xvfb openbox trayer xcompmgr xdotool x11-utils

# shellcheck source=../../scripts/virtual-display.sh
. "$root/scripts/virtual-display.sh"
# shellcheck source=demo_server.sh
. "$here/demo_server.sh"
# shellcheck source=private_pulse.sh
. "$here/private_pulse.sh"

work=$(mktemp -d /tmp/lumiqo-phases.XXXXXX)
mkdir -p "$work/home"
server_pid="" pulse="" recorder="" warmer=""
cleanup() {
  perf probe -q -d 'lumiqo_phase:*' 2>/dev/null || true
  for pid in $recorder $pulse $server_pid $warmer; do kill "$pid" 2>/dev/null || true; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

serve_demo_catalogue "$root" "$build" "$work"
start_virtual_display --tray --compositor || { echo "no virtual desktop"; exit 1; }
export HOME=$work/home
start_private_pulse "$work"
# shellcheck source=steady.sh
. "$here/steady.sh"
start_warmer "$build"

first_song_link "$work"
cp -r "$build/bin" "$work/app" # the player writes beside itself; the probes sit on this copy

# The marks, in the order a start passes them (mangled: the probes take symbol names).
marks=(
  main=main
  window=_ZN6lumiqo6qorvexC2EP7QWidget
  load=_ZN6lumiqo6qorvex9Form_LoadERK7QString
  list=_ZN6lumiqo8LoadListERK7QStringRNS_9QMListBoxERNS_14CatalogueStateERKNS_13FetchTimeoutsE
  armed=_ZN6lumiqo6engine7Decoder7prepareEv
  tick=_ZN6lumiqo14LinkResolution12Timer1_TimerEv
  opening=_ZN6lumiqo10PlayerCore10openStreamERK7QStringNS_10StreamKindE
  opened=_ZN6lumiqo10PlayerCore15showLengthInRowEv
  start=_ZN6lumiqo10PlayerCore17tmrNetRadio_TimerEv
  play=_ZN6lumiqo6engine9PulseSink4corkEb
)
perf probe -q -d 'lumiqo_phase:*' 2>/dev/null || true
for mark in "${marks[@]}"; do
  perf probe -q -x "$work/app/lumiqo" -a "lumiqo_phase:${mark%%=*}=${mark#*=}"
done

export LUMIQO_SERVER=127.0.0.1:$port QT_QPA_PLATFORM=xcb
perf record -q -a -o "$work/perf.data" -e sched:sched_process_exec -e 'lumiqo_phase:*' -- \
  python3 - "$runs" "$work/app/lumiqo" "$qlink" <<'PY'
import subprocess, sys, time
runs, program, link = int(sys.argv[1]), sys.argv[2], sys.argv[3]
for _ in range(runs):
    time.sleep(1.5)  # the last one's windows and sound are gone
    player = subprocess.Popen([program, link], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(2.0)  # the first sound comes in well under a second
    player.terminate()
    player.wait()
PY

perf script -i "$work/perf.data" -F comm,pid,time,event >"$work/marks.txt" 2>/dev/null
python3 - "$runs" "$work/marks.txt" <<'PY'
import collections, re, statistics, sys

first = collections.defaultdict(dict)  # pid -> mark -> first time (s)
for line in open(sys.argv[2]):
    m = re.match(r"\s*(\S+)\s+(\d+)\s+([\d.]+):\s+(\S+):", line)
    if not m:
        continue
    comm, pid, t, event = m.group(1), int(m.group(2)), float(m.group(3)), m.group(4)
    mark = "exec" if event == "sched:sched_process_exec" else event.split(":")[-1]
    if event.startswith("sched:") and comm != "lumiqo":
        continue
    if mark == "play" and "start" not in first[pid]:
        continue  # a cork before the stream start tick is not the first play
    first[pid].setdefault(mark, t)

phases = [
    ("exec", "main", "libraries loaded (exec -> main)"),
    ("main", "window", "QApplication: X connection, plugins"),
    ("window", "load", "the three windows built"),
    ("load", "list", "load handler up to the first catalogue request"),
    ("list", "armed", "the rest of start-up, up to the link's timer"),
    ("armed", "tick", "the link's timer (100 ms)"),
    ("tick", "opening", "the link resolved (authorisation, translation, address)"),
    ("opening", "opened", "the stream opened"),
    ("opened", "start", "the stream start timer (50 ms)"),
    ("start", "play", "play"),
    ("exec", "play", "exec -> play, in all"),
]
starts = [marks for marks in first.values() if "exec" in marks and "play" in marks]
print(f"{len(starts)} of {sys.argv[1]} cold starts reached play; ms, median (min-max)")
for a, b, name in phases:
    values = [1000 * (s[b] - s[a]) for s in starts if a in s and b in s]
    if values:
        print(f"  {name:<58} {statistics.median(values):6.1f} ({min(values):.1f}-{max(values):.1f})")
PY
