#!/usr/bin/env bash
# The player for hours on a virtual desktop (window manager, tray, compositing manager) with a
# sound server of its own: it plays through a catalogue of its own songs with lyrics, and every
# few minutes minimises to the tray and restores, hides and shows the lyrics, reloads the list
# and restarts the sound server. Every minute it logs resident memory, descriptors, threads and
# CPU to a CSV; at the end it draws them (PNG) and says whether every song change came on time
# and whether anything went wrong. Not part of ./test.sh.
#
# Usage: scripts/soak.sh [--minutes N] [--build DIR] [--out DIR]
#   --minutes  how long to play (default 135)
#   --build    the build whose program folder is played (default build/); the program is copied
#              into OUT/app first, so rebuilding during the run does not disturb it
#   --out      where the CSV, the plot, the logs and the summary go (default a new /tmp folder)
# Intervals in minutes (environment): SOAK_TRAY_EVERY=3 SOAK_RELOAD_EVERY=8 SOAK_LYRICS_EVERY=5
#   SOAK_SOUND_RESTART_EVERY=7, SOAK_SAMPLE_SECONDS=60.
# Exit status: 0 when every check passed, 1 when one failed, 2 on a usage or set-up problem.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
minutes=135 build=$root/build out=
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=${2:?}; shift 2 ;;
    --build) build=${2:?}; shift 2 ;;
    --out) out=${2:?}; shift 2 ;;
    -h | --help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "soak: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -x "$build/bin/lumiqo" ] && [ -x "$build/bin/lumiqo-server" ] ||
  { echo "soak: no lumiqo and lumiqo-server in $build/bin (build them first)" >&2; exit 2; }

"$root/scripts/install-deps.sh" gnuplot-nox ffmpeg xvfb openbox trayer xcompmgr xdotool x11-utils \
  pulseaudio pulseaudio-utils python3 dbus-daemon

out=${out:-$(mktemp -d /tmp/lumiqo-soak.XXXXXX)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
# The frozen program: the player, the server, the decoder library, skin/ and inc/.
rm -rf "$out/app"
mkdir -p "$out/app"
for f in lumiqo lumiqo-server liblumiqo_decoder.so artists.txt skin inc; do
  [ -e "$build/bin/$f" ] && cp -r "$build/bin/$f" "$out/app/"
done

# shellcheck source=virtual-display.sh
. "$here/virtual-display.sh"
start_virtual_display --tray --compositor || { echo "soak: no virtual desktop" >&2; exit 2; }
trap stop_virtual_display EXIT
echo "soak: $minutes min on $DISPLAY, results in $out"
status=0
/usr/bin/python3 "$here/soak_driver.py" --app "$out/app" --out "$out" --minutes "$minutes" \
  --xserver-pid "$LUMIQO_VD_XVFB" || status=$?
exit "$status"
