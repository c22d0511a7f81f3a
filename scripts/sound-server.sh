# Sourced by test.sh and run.sh: starts a private PulseAudio server with a null sink named
# lumiqo_null (its monitor records what the player plays), unless one already answers.
# Works headless and as root (the server then runs as a per-user daemon of root, which
# PulseAudio allows with a warning). Exports PULSE_SERVER and PULSE_RUNTIME_PATH for the
# programs started afterwards. XDG_RUNTIME_DIR stays as it was: the player's single-instance
# channel lives there, and a link opened from another shell must find the same one.

start_sound_server() {
  command -v pulseaudio >/dev/null 2>&1 && command -v pactl >/dev/null 2>&1 || return 1
  # A server that already answers (a desktop session) is used as it is: its default sink
  # stays the user's, and tests that need lumiqo_null say they were skipped.
  if pactl info >/dev/null 2>&1; then
    return 0
  fi
  LUMIQO_PULSE_DIR=$(mktemp -d /tmp/lumiqo-pulse.XXXXXX) || return 1
  export PULSE_RUNTIME_PATH=$LUMIQO_PULSE_DIR
  export PULSE_SERVER=unix:$LUMIQO_PULSE_DIR/native
  # -n: no default configuration (no hardware probing, no D-Bus); only what is named here.
  XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$LUMIQO_PULSE_DIR} pulseaudio --daemonize=yes --exit-idle-time=-1 \
    --disallow-exit=yes --system=no --use-pid-file=yes \
    -n --load="module-native-protocol-unix socket=$LUMIQO_PULSE_DIR/native" \
    --load="module-null-sink sink_name=lumiqo_null" --load=module-always-sink >/dev/null 2>&1 || return 1
  LUMIQO_STARTED_PULSE=1
  for _ in $(seq 50); do
    if pactl info >/dev/null 2>&1; then
      pactl set-default-sink lumiqo_null >/dev/null 2>&1 || true
      return 0
    fi
    sleep 0.1
  done
  return 1
}

stop_sound_server() {
  if [ "${LUMIQO_STARTED_PULSE:-0}" = 1 ]; then
    pulseaudio --kill >/dev/null 2>&1 || true
    LUMIQO_STARTED_PULSE=0
    rm -rf "${LUMIQO_PULSE_DIR:?}"
  fi
}
