#!/usr/bin/env bash
# The player on a virtual desktop (window manager, tray, compositing manager): how long from
# launch until its three windows are managed and until the main window has faded in, what it
# costs while nothing but the caption moves, while a song plays with the lyrics and the caption
# moving, and what it holds in memory; at rest also covered by another window and with the
# screen saver on. The X server's share counts Xvfb, the window manager, the tray and the
# compositing manager. Figures only, never verdicts.
# Usage: bench/app/desktop_figures.sh [BUILD_DIR]   (default build/; RUNS=5 SECONDS_CPU=30;
#        STEADY=0 leaves the processors free to halt, see vcpu_warmer.cpp)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${RUNS:-5}
cpu_seconds=${SECONDS_CPU:-30}
# shellcheck source=../../scripts/virtual-display.sh
. "$root/scripts/virtual-display.sh"

work=$(mktemp -d /tmp/lumiqo-figures.XXXXXX)
mkdir -p "$work/run"
chmod 700 "$work/run"
server_pid=
warmer=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  [ -n "$warmer" ] && kill "$warmer" 2>/dev/null
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=demo_server.sh
. "$here/demo_server.sh"
serve_demo_catalogue "$root" "$build" "$work"
start_virtual_display --tray --compositor || { echo "no virtual desktop"; exit 1; }

# shellcheck source=steady.sh
. "$here/steady.sh"
start_warmer "$build"
export LUMIQO_SERVER=127.0.0.1:$port LUMIQO_AUDIO_DEVICE=0 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run
# The desktop's own processes, whose share of the CPU counts as the X server's.
desktop="$LUMIQO_VD_XVFB $LUMIQO_VD_WM ${LUMIQO_VD_TRAY:-} ${LUMIQO_VD_COMPOSITOR:-}"
PYTHONPATH=$here python3 - "$build/bin/lumiqo" "$runs" "$cpu_seconds" "$desktop" <<'PY'
import os, re, statistics, subprocess, sys, time

import thread_counts

player, runs, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
desktop = [int(p) for p in sys.argv[4].split()]
hz = os.sysconf("SC_CLK_TCK")

def cpu(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / hz

def memory(pid):
    rss = int(re.search(r"VmRSS:\s+(\d+)", open(f"/proc/{pid}/status").read()).group(1))
    pss = sum(int(l.split()[1]) for l in open(f"/proc/{pid}/smaps_rollup") if l.startswith("Pss:"))
    return rss / 1024, pss / 1024

def windows():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumiqo"], capture_output=True, text=True).stdout
    return out.split()

def launch():
    spy = subprocess.Popen(["xprop", "-root", "-spy", "_NET_CLIENT_LIST"], stdout=subprocess.PIPE, text=True)
    before = spy.stdout.readline().count("0x")  # the tray's own window may be listed
    t0 = time.monotonic()
    p = subprocess.Popen([player], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while spy.stdout.readline().count("0x") < before + 3:
        pass
    mapped = time.monotonic() - t0
    spy.terminate()
    # Faded in: the main window's opacity property is gone or says full opacity again.
    main = None
    while main is None:
        for w in windows():
            name = subprocess.run(["xdotool", "getwindowname", w], capture_output=True, text=True).stdout.strip()
            if name == "Lumiqo":
                main = w
    while True:
        prop = subprocess.run(["xprop", "-id", main, "_NET_WM_WINDOW_OPACITY"], capture_output=True, text=True).stdout
        if "not found" in prop or "no such atom" in prop or prop.rstrip().endswith("= 4294967295"):
            break
        time.sleep(0.002)
    faded = time.monotonic() - t0
    return p, main, mapped, faded

def measure(pid, seconds):
    """% of a core of the player and of the X server (with the window manager, tray and
    compositing manager), and the player's switches a second."""
    c0, s0, x0, t0 = cpu(pid), thread_counts.read(pid), sum(cpu(p) for p in desktop), time.monotonic()
    time.sleep(seconds)
    dt = time.monotonic() - t0
    x = (sum(cpu(p) for p in desktop) - x0) / dt * 100
    return (cpu(pid) - c0) / dt * 100, thread_counts.since(s0, thread_counts.read(pid))[1] / dt, x

mapped, faded = [], []
for _ in range(runs):
    p, main, m, f = launch()
    mapped.append(m * 1000)
    faded.append(f * 1000)
    p.terminate(); p.wait()
    time.sleep(0.5)
print(f"launch -> three windows managed: median {statistics.median(mapped):.0f} ms (runs: {', '.join(f'{v:.0f}' for v in mapped)})")
print(f"launch -> main window faded in:  median {statistics.median(faded):.0f} ms")

p, main, _, _ = launch()
time.sleep(3)
load, sw, x = measure(p.pid, seconds)
rss, pss = memory(p.pid)
print(f"idle, the welcome caption scrolling: {load:.2f} % of a core, X server {x:.2f} %, {sw:.0f} switches/s, RSS {rss:.0f} MB, PSS {pss:.0f} MB")
# Covered by another window (an xev window over the whole screen), then the screen saver on.
cover = subprocess.Popen(["xev", "-geometry", "1280x800+0+0", "-name", "cover"], stdout=subprocess.DEVNULL)
time.sleep(2)
subprocess.run(["xdotool", "search", "--sync", "--name", "^cover$", "windowmove", "0", "0", "windowraise"], capture_output=True)
time.sleep(2)
load, sw, x = measure(p.pid, seconds)
print(f"idle, covered by another window:     {load:.2f} % of a core, X server {x:.2f} %, {sw:.0f} switches/s")
cover.terminate(); cover.wait()
time.sleep(2)
subprocess.run(["xset", "s", "activate"])
time.sleep(1)
load, sw, x = measure(p.pid, seconds)
print(f"idle, the screen saver on:           {load:.2f} % of a core, X server {x:.2f} %, {sw:.0f} switches/s")
subprocess.run(["xset", "s", "reset"])
time.sleep(2)
geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", main], capture_output=True, text=True).stdout
x = int(re.search(r"X=(\d+)", geometry).group(1)); y = int(re.search(r"Y=(\d+)", geometry).group(1))
subprocess.run(["xdotool", "mousemove", str(x + 39), str(y + 40), "click", "1"])  # the next button
time.sleep(6)
load, sw, x = measure(p.pid, seconds)
rss, pss = memory(p.pid)
print(f"playing, lyrics scrolling, caption still: {load:.2f} % of a core, X server {x:.2f} %, {sw:.0f} switches/s, RSS {rss:.0f} MB, PSS {pss:.0f} MB")
subprocess.run(["xdotool", "mousemove", str(x + 87), str(y + 22), "click", "1"])  # the lyrics window away
time.sleep(2)
load, sw, x = measure(p.pid, seconds)
print(f"playing, lyrics window faded out:       {load:.2f} % of a core, X server {x:.2f} %, {sw:.0f} switches/s")
p.terminate(); p.wait()
PY
