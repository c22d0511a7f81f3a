#!/usr/bin/env bash
# Lumiqo beside mpv, ffplay, Audacious and Qmmp in one run, by the shared harness
# (../shared/perf/compare-players.sh): first sound, window, CPU, context switches and memory
# while playing the same signals, and idle. It installs the other players when they are
# missing and plays from a copy of the build's program folder (the player writes beside
# itself). Figures only.
# Usage: bench/app/compare-players.sh [BUILD_DIR] [WORKDIR]   (RUNS, WINDOW, PLAYERS, FORMATS
#        as the harness takes them)
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
LQ_APP=$app LQ_SERVER=$build/bin/lumiqo-server LQ_SRC=$root bash "$harness" "$work/peers"
