#!/usr/bin/env bash
# Installs what is missing, builds into build/, and starts the player.
# Without a display it starts a virtual one (Xvfb + openbox) and a sound server with a
# null sink, saves a screenshot after a few seconds, and runs until interrupted.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target lumiqo

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_sound_server
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# shellcheck source=scripts/sound-server.sh
. scripts/sound-server.sh

headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  headless=1
  display=:${LUMIQO_DISPLAY_NUMBER:-77}
  echo "run.sh: no display; starting Xvfb on $display with openbox, and a PulseAudio null sink"
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 1
  openbox >/dev/null 2>&1 &
  pids+=($!)
fi
start_sound_server || { echo "run.sh: no sound server; playing on the no-sound device"; export LUMIQO_AUDIO_DEVICE=0; }

build/bin/lumiqo "$@" &
player=$!
pids+=("$player")

if [ "$headless" = 1 ]; then
  shot=$root/build/screenshot.png
  sleep "${LUMIQO_SCREENSHOT_DELAY:-5}"
  ffmpeg -loglevel error -y -f x11grab -video_size 1280x800 -i "$DISPLAY" -frames:v 1 "$shot" \
    && echo "run.sh: screenshot saved to $shot"
  echo "run.sh: the player runs on the virtual display $DISPLAY; press Ctrl+C to stop"
fi
wait "$player"
