#!/usr/bin/env bash
# Installs what is missing, builds into build/, and starts the player.
# Without a display it starts a virtual one (Xvfb + openbox) and a sound server with a
# null sink, saves a screenshot after a few seconds, and runs until interrupted.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target lumiqo lumiqo-server

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
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 1
  openbox >/dev/null 2>&1 &
  pids+=($!)
fi
start_sound_server || { echo "run.sh: no sound server; playing on the no-sound device"; export LUMIQO_AUDIO_DEVICE=0; }

# The online catalogue: a local lumiqo-server with the demo catalogue (generated once).
demo=$root/build/demo-catalogue
if [ ! -f "$demo/.complete" ]; then
  echo "run.sh: generating the demo catalogue in $demo (once)"
  tools/make-demo-catalogue "$demo"
fi
build/bin/lumiqo-server import "$demo" --db build/demo-catalogue.db >/dev/null 2>>build/lumiqo-server.log \
  || { echo "run.sh: importing the demo catalogue failed (see build/lumiqo-server.log)"; exit 1; }
server_port=${LUMIQO_SERVER_PORT:-8764}
build/bin/lumiqo-server serve --db build/demo-catalogue.db --listen "127.0.0.1:$server_port" \
  2>>build/lumiqo-server.log &
pids+=($!)
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$server_port") 2>/dev/null && break
  sleep 0.1
done
export LUMIQO_SERVER=127.0.0.1:$server_port
echo "run.sh: lumiqo-server on $LUMIQO_SERVER (log: build/lumiqo-server.log)"

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
