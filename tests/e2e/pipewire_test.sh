#!/usr/bin/env bash
# The player through PipeWire: a private pipewire, wireplumber and pipewire-pulse (no
# PulseAudio daemon), a catalogue song handed to the player as the site's play link, and the
# null sink's monitor hears the song's tone; at the song's end the player moves on by itself.
# Usage: pipewire_test.sh LUMIQO LUMIQO_SERVER. Exit 77 (skipped) when PipeWire or the tools
# are missing.
set -uo pipefail
player=${1:?usage: pipewire_test.sh LUMIQO LUMIQO_SERVER}
server=${2:?}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/pipewire-server.sh
. "$here/../../scripts/pipewire-server.sh"
# shellcheck source=script_helpers.sh
. "$here/script_helpers.sh"

for tool in ffmpeg python3 parec; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
make_work_folder pipewire-test || exit 1
server_pid= player_pid= record_pid=
cleanup() {
  for pid in $record_pid $player_pid $server_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  stop_pipewire_server
  rm -rf "$work"
}
trap cleanup EXIT
start_pipewire_server || { echo "SKIPPED: PipeWire did not start"; exit 77; }
pactl info | grep -q '^Server Name: .*PipeWire' || { echo "FAIL: the sound server is not PipeWire"; exit 1; }

# --- one song of 440 Hz, served -----------------------------------------------------------
make_song "$work/music/tone.mp3" "管道之歌" "测试乐队" 440 4 || { echo "FAIL: ffmpeg"; exit 1; }
serve_catalogue "$server" || { echo "FAIL: server"; exit 1; }
link=$(play_links "$origin/songs/" | head -n 1)
[ -n "$link" ] || { echo "FAIL: no play link on the site"; exit 1; }

# --- the player, started with the link, on PipeWire's default sink -------------------------
parec -d lumiqo_null.monitor --raw --format=s16le --channels=2 --rate=44100 >"$work/heard.raw" 2>"$work/parec.log" &
record_pid=$!
env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_DATA_HOME="$work/data" \
  XDG_CONFIG_HOME="$work/config" LUMIQO_SERVER="127.0.0.1:$port" LUMIQO_AUDIO_DEVICE=-1 QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 \
  "$player" "$link" >"$work/player.log" 2>&1 &
player_pid=$!
started=$(date +%s%N); since() { echo "  ($(( ($(date +%s%N) - started) / 1000000 )) ms)"; }

wait_for 30 streamed "[a-z0-9]+" &&
  ok "the link's song was fetched$(since)" || fail "no stream request"
wait_for 15 bash -c "pactl list sink-inputs | grep -q 'application.name = \"Lumiqo\"'" &&
  ok "the player is a stream of PipeWire's PulseAudio server" || fail "no Lumiqo stream on the sound server"
# The 4-second song ends, the player notices and moves on: a second stream request.
wait_for 40 streamed "[a-z0-9]+" 2 &&
  ok "the end of the song was noticed and the next one started$(since)" || fail "the player did not move on"
kill "$record_pid" 2>/dev/null; wait "$record_pid" 2>/dev/null; record_pid=

# The tone in 0.1 s blocks: the loud ones, and the pitch from their zero crossings.
read -r loud pitch <<<"$(python3 -c "
import array, sys
data = open(sys.argv[1], 'rb').read()
s = array.array('h'); s.frombytes(data[: len(data) // 4 * 4])
left = s[0::2]
loud, pitches = 0, []
for i in range(0, len(left) - 4410, 4410):
    block = left[i:i + 4410]
    if sum(v * v for v in block) / len(block) > 1000 ** 2:
        loud += 1
        pitches.append(sum(1 for a, b in zip(block, block[1:]) if (a < 0) != (b < 0)) * 5)
pitches.sort()
print(loud, pitches[len(pitches) // 2] if pitches else 0)" "$work/heard.raw")"
[ "${loud:-0}" -ge 20 ] && ok "the null sink heard $loud loud tenths of a second" || fail "the null sink heard ${loud:-0} loud tenths"
[ "${pitch:-0}" -ge 420 ] && [ "${pitch:-0}" -le 460 ] && ok "at ${pitch} Hz, the song's 440 Hz" ||
  fail "the sound heard is at ${pitch:-0} Hz, not the song's 440 Hz"

kill "$player_pid" 2>/dev/null
wait_for 10 bash -c "! kill -0 $player_pid 2>/dev/null" && ok "the player ended" || fail "the player did not end"
wait "$player_pid" 2>/dev/null; player_pid=
if [ "$failures" -gt 0 ]; then
  echo "--- player log"; tail -n 30 "$work/player.log"
  echo "--- server log"; tail -n 30 "$work/server.log"
  exit 1
fi
echo "PASS"
