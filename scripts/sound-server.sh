# Sourced by test.sh and run.sh: starts a private PulseAudio server with a null sink named
# lumiqo_null (its monitor records what the player plays), unless one already answers.
start_sound_server() {
  if pactl info >/dev/null 2>&1; then
    return 0
  fi
  export PULSE_RUNTIME_PATH=${PULSE_RUNTIME_PATH:-$(mktemp -d /tmp/lumiqo-pulse.XXXXXX)}
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$PULSE_RUNTIME_PATH}
  pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit=yes --system=no \
    -n --load=module-native-protocol-unix --load="module-null-sink sink_name=lumiqo_null" \
    --load=module-always-sink >/dev/null 2>&1 || return 1
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && { pactl set-default-sink lumiqo_null >/dev/null 2>&1; LUMIQO_STARTED_PULSE=1; return 0; }
    sleep 0.1
  done
  return 1
}

stop_sound_server() {
  if [ "${LUMIQO_STARTED_PULSE:-0}" = 1 ]; then
    pulseaudio --kill >/dev/null 2>&1 || true
  fi
}
