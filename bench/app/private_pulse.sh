# shellcheck shell=bash
# Sourced by the figure scripts: a PulseAudio of their own in WORK/run with a null sink as the
# default, and a recorder on its monitor every 20 ms, as the shared comparison has it. Exports
# XDG_RUNTIME_DIR and PULSE_SERVER for the players; sets pulse and recorder to the process ids,
# which the caller ends.
start_private_pulse() { # WORK
  local work=$1
  mkdir -p "$work/run"
  chmod 700 "$work/run"
  export XDG_RUNTIME_DIR=$work/run PULSE_SERVER=unix:$work/run/pulse/native
  pulseaudio --daemonize=no --use-pid-file=no --exit-idle-time=-1 -n --disallow-exit \
    --load="module-null-sink sink_name=nullsink" --load="module-native-protocol-unix auth-anonymous=1" \
    >"$work/pulse.log" 2>&1 &
  pulse=$!
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink nullsink
  parec --device=nullsink.monitor --latency-msec=20 --format=s16le --rate=44100 --channels=2 --raw >/dev/null &
  recorder=$!
}
