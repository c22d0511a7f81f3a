#!/usr/bin/env bash
# Lumiqo beside mpv, ffplay, Audacious and Qmmp in one run, by the shared harness
# (../shared/perf/compare-players.sh): first sound, window, CPU, context switches and memory
# while playing the same signals, and idle. It installs the other players when they are
# missing and plays from a copy of the build's program folder (the player writes beside
# itself). After the harness's table it prints the figures as the performance issue's table
# has them (with player + sound server). Figures only.
# Usage: bench/app/compare-players.sh [BUILD_DIR] [WORKDIR]   (RUNS, WINDOW, PLAYERS, FORMATS
#        as the harness takes them; STEADY=0 leaves the processors free to halt, see
#        vcpu_warmer.cpp)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
# The harness lies in shared/ beside the checkout (or beside the folder of worktrees).
harness=${LUMIQO_COMPARE_HARNESS:-}
for h in "$root/../shared/perf/compare-players.sh" "$root/../../shared/perf/compare-players.sh"; do
  [ -n "$harness" ] || [ ! -f "$h" ] || harness=$h
done
[ -f "$harness" ] || { echo "compare-players: no harness in ../shared/perf (LUMIQO_COMPARE_HARNESS names one)" >&2; exit 1; }

"$root/scripts/install-deps.sh" mpv qmmp audacious lame sox ffmpeg python3-numpy pulseaudio \
  pulseaudio-utils xvfb openbox trayer xcompmgr x11-utils xdotool dbus-daemon dbus-bin coreutils

work=${2:-$(mktemp -d -t lumiqo-compare.XXXXXX)}
mkdir -p "$work"
app=$work/lumiqo-app
rm -rf "$app"
cp -r "$build/bin" "$app"
# shellcheck source=steady.sh
. "$here/steady.sh"
start_warmer "$build"
trap '[ -z "$warmer" ] || kill "$warmer" 2>/dev/null' EXIT
LQ_APP=$app LQ_SERVER=$build/bin/lumiqo-server LQ_SRC=$root bash "$harness" "$work/peers"

# The figures as the performance issue tabulates them: medians and ranges per player, the
# player and the sound server together, and the players at rest.
echo
echo "uptime: $(uptime)"
say_warmer
/usr/bin/python3 - "$work/peers/results.jsonl" <<'PY'
import collections, json, statistics, sys

runs = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
def spread(values, digits):
    values = [v for v in values if v is not None]
    if not values:
        return "-"
    f = lambda v: f"{v:.{digits}f}"
    m = statistics.median(values)
    return f(m) if f(min(values)) == f(max(values)) else f"{f(m)} ({f(min(values))}-{f(max(values))})"
play, idle = collections.defaultdict(list), collections.defaultdict(list)
for r in runs:
    if r.get("ok") and r["mode"] == "play":
        play[(r["label"], r["fmt"])].append(r)
    elif r.get("ok") and r["mode"] == "idle":
        idle[r["label"]].append(r)
rows = [("cold start with a link -> first sound, ms", lambda rs: spread([r.get("ttfs_arrival_ms") for r in rs], 0)),
        ("CPU while playing, % of a core", lambda rs: spread([r.get("cpu_pct") for r in rs], 2)),
        ("the sound server's CPU for that stream", lambda rs: spread([r.get("pa_pct") for r in rs], 2)),
        ("player + sound server", lambda rs: spread([(r.get("cpu_pct") or 0) + (r.get("pa_pct") or 0) for r in rs], 2)),
        ("resident memory while playing, MB", lambda rs: spread([r.get("vmrss_mb") for r in rs], 1))]
for fmt in sorted({f for _, f in play}):
    players = [label for label, f in play if f == fmt]
    print(f"\n{fmt}: " + " | ".join(players))
    for name, figure in rows:
        print(f"  {name}: " + " | ".join(figure(play[(p, fmt)]) for p in players))
if idle:
    print("\nnothing playing: player, X server (% of a core)")
    print("  (the harness's X server blanks after 10 min without input, which stops Lumiqo's"
          " caption; desktop_figures.sh measures it scrolling)")
    for label, rs in idle.items():
        print(f"  {label}: {spread([r.get('cpu_pct') for r in rs], 2)}, {spread([r.get('x_pct') for r in rs], 2)}")
PY
