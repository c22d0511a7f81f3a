#!/usr/bin/env bash
# What a screen reader costs the player, on a virtual desktop with a private session bus and
# the accessibility bus: while a song plays (lyrics and caption moving), the events the player
# sends a listener attached to every event and the player's processor time, beside the same
# stretch without a listener (A and B taken in turn, ROUNDS times); and the idle player's
# processor time with the accessibility bus on beside a player that has none (in turn too).
# Figures only, never verdicts; the machine's load is printed with them.
# Usage: bench/app/accessibility_figures.sh [BUILD_DIR]   (default build/; ROUNDS=3 SECONDS_CPU=10)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher

if [ -z "${LUMIQO_PRIVATE_SESSION_BUS:-}" ]; then
  "$root/scripts/install-deps.sh" at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi dbus-daemon xdotool
  exec env LUMIQO_PRIVATE_SESSION_BUS=1 dbus-run-session -- "$0" "$build"
fi
# shellcheck source=../../scripts/virtual-display.sh
. "$root/scripts/virtual-display.sh"

work=$(mktemp -d /tmp/lumiqo-a11y-figures.XXXXXX)
mkdir -p "$work/run"
chmod 700 "$work/run"
server_pid= bus_pid=
cleanup() {
  for pid in $server_pid $bus_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=demo_server.sh
. "$here/demo_server.sh"
serve_demo_catalogue "$root" "$build" "$work"
start_virtual_display || { echo "no virtual display"; exit 1; }
"$launcher" --launch-immediately >/dev/null 2>&1 &
bus_pid=$!

echo "load before: $(uptime)"
export LUMIQO_SERVER=127.0.0.1:$port LUMIQO_AUDIO_DEVICE=0 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run
/usr/bin/python3 - "$build/bin/lumiqo" "$root/tests/e2e/accessibility_probe.py" "${ROUNDS:-3}" "${SECONDS_CPU:-10}" <<'PY'
import os, statistics, subprocess, sys, time

player, probe, rounds, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
hz = os.sysconf("SC_CLK_TCK")

def cpu(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / hz

def start(accessible):
    env = dict(os.environ)
    if accessible:
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    else:
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    p = subprocess.Popen([player], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end = time.time() + 30
    while time.time() < end:
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumiqo$"], capture_output=True, text=True).stdout
        if out.strip():
            return p, out.split()[0]
        time.sleep(0.2)
    sys.exit("the player did not start")

def stop(p):
    p.terminate()
    p.wait()
    time.sleep(0.5)

def probe_run(*args):
    return subprocess.run(["/usr/bin/python3", probe, *args], capture_output=True, text=True).stdout

def play(main):
    # Keys alone: to the list, its first row, played.
    subprocess.run(["xdotool", "windowactivate", "--sync", main])
    time.sleep(1)
    subprocess.run(["xdotool", "key", "F6", "sleep", "0.5", "key", "Down", "sleep", "0.3", "key", "Return"])
    end = time.time() + 20
    while time.time() < end:
        if "状态:播放" in probe_run("tree"):
            return
        time.sleep(0.5)
    sys.exit("no song played")

def measure(pid, seconds):
    c0 = cpu(pid)
    time.sleep(seconds)
    return (cpu(pid) - c0) / seconds * 100

# Playing: a listener on every event (A) beside none (B), in turn.
p, main = start(True)
if "Lumiqo" not in probe_run("tree"):
    sys.exit("the player is not on the accessibility bus")
play(main)
time.sleep(3)
with_listener, without, rates = [], [], []
for r in range(rounds):
    c0 = cpu(p.pid)
    t0 = time.time()
    heard = probe_run("events", str(seconds))
    spent = time.time() - t0
    with_listener.append((cpu(p.pid) - c0) / spent * 100)
    total = sum(int(line.split()[0]) for line in heard.splitlines() if line.strip())
    rates.append(total / seconds)
    print(f"round {r + 1}: {total} events in {seconds:.0f} s: {heard.strip().replace(chr(10), '; ') or 'none'}")
    without.append(measure(p.pid, spent))
stop(p)
print(f"playing, listener on every event: {statistics.median(rates):.2f} events/s (rounds: {', '.join(f'{v:.1f}' for v in rates)})")
print(f"playing, player CPU with a listener:    median {statistics.median(with_listener):.2f} % of a core ({', '.join(f'{v:.2f}' for v in with_listener)})")
print(f"playing, player CPU without a listener: median {statistics.median(without):.2f} % of a core ({', '.join(f'{v:.2f}' for v in without)})")

# Idle: the accessibility bus on (A) beside a player without it (B), in turn.
on, off = [], []
for r in range(rounds):
    for accessible, figures in ((True, on), (False, off)):
        p, _ = start(accessible)
        time.sleep(3)
        figures.append(measure(p.pid, seconds))
        stop(p)
print(f"idle, accessibility bus on:  median {statistics.median(on):.2f} % of a core ({', '.join(f'{v:.2f}' for v in on)})")
print(f"idle, accessibility bus off: median {statistics.median(off):.2f} % of a core ({', '.join(f'{v:.2f}' for v in off)})")
PY
echo "load after: $(uptime)"
