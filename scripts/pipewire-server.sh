# Sourced by tests that play through PipeWire: starts a private PipeWire (pipewire, the
# wireplumber session manager and pipewire-pulse, PipeWire's PulseAudio server) with a null
# sink named lumiqo_null whose monitor records what is played. No PulseAudio daemon takes part.
# Nothing of the user's is touched: the runtime, configuration and state folders and the
# session bus are private, and wireplumber's device monitors (ALSA, Bluetooth, cameras) are
# off, so that no real device is opened. Exports PULSE_SERVER for the programs started
# afterwards (the private server's socket); XDG_RUNTIME_DIR stays as it was.
#   start_pipewire_server || exit 77   # 1 when a tool is missing or the server does not come up
#   stop_pipewire_server               # stops only what start_pipewire_server started

start_pipewire_server() {
  local tool
  for tool in pipewire wireplumber pipewire-pulse pactl dbus-daemon; do
    command -v "$tool" >/dev/null 2>&1 || { echo "pipewire-server: $tool is missing" >&2; return 1; }
  done
  LUMIQO_PW_DIR=$(mktemp -d /tmp/lumiqo-pipewire.XXXXXX) || return 1
  chmod 700 "$LUMIQO_PW_DIR"
  local d=$LUMIQO_PW_DIR
  mkdir -p "$d/config/wireplumber/main.lua.d" "$d/config/wireplumber/bluetooth.lua.d" "$d/state"
  # After the packaged 50-*-config.lua files, before 90-enable-all.lua starts the monitors.
  printf 'alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n' \
    >"$d/config/wireplumber/main.lua.d/60-lumiqo-no-devices.lua"
  printf 'bluez_monitor.enabled = false\n' >"$d/config/wireplumber/bluetooth.lua.d/60-lumiqo-no-devices.lua"

  LUMIQO_PW_PIDS=()
  dbus-daemon --session --address="unix:path=$d/bus" --nofork --nopidfile >"$d/dbus.log" 2>&1 &
  LUMIQO_PW_PIDS+=($!)
  local run=(env -u PULSE_SERVER -u PULSE_RUNTIME_PATH XDG_RUNTIME_DIR="$d" PIPEWIRE_RUNTIME_DIR="$d"
    XDG_CONFIG_HOME="$d/config" XDG_STATE_HOME="$d/state" DBUS_SESSION_BUS_ADDRESS="unix:path=$d/bus")
  pipewire_server_wait_for -S "$d/bus" || { stop_pipewire_server; return 1; }
  "${run[@]}" pipewire >"$d/pipewire.log" 2>&1 &
  LUMIQO_PW_PIDS+=($!)
  pipewire_server_wait_for -S "$d/pipewire-0" || { stop_pipewire_server; return 1; }
  "${run[@]}" wireplumber >"$d/wireplumber.log" 2>&1 &
  LUMIQO_PW_PIDS+=($!)
  "${run[@]}" pipewire-pulse >"$d/pipewire-pulse.log" 2>&1 &
  LUMIQO_PW_PIDS+=($!)

  export PULSE_SERVER=unix:$d/pulse/native
  unset PULSE_RUNTIME_PATH
  local ready=0
  for _ in $(seq 100); do
    pactl info 2>/dev/null | grep -q 'Server Name: .*PipeWire' && { ready=1; break; }
    sleep 0.1
  done
  [ "$ready" = 1 ] || { echo "pipewire-server: pipewire-pulse does not answer" >&2; stop_pipewire_server; return 1; }
  pactl load-module module-null-sink sink_name=lumiqo_null >/dev/null || { stop_pipewire_server; return 1; }
  # The default sink is the session manager's to set: it takes it once wireplumber is up.
  for _ in $(seq 100); do
    pactl set-default-sink lumiqo_null >/dev/null 2>&1 &&
      pactl info 2>/dev/null | grep -q '^Default Sink: lumiqo_null$' && return 0
    sleep 0.1
  done
  echo "pipewire-server: lumiqo_null did not become the default sink" >&2
  stop_pipewire_server
  return 1
}

# Waits up to 10 s for a test (-S socket) on a path.
pipewire_server_wait_for() {
  for _ in $(seq 100); do
    test "$1" "$2" && return 0
    sleep 0.1
  done
  echo "pipewire-server: $2 did not appear" >&2
  return 1
}

stop_pipewire_server() {
  local i pid
  # The last started first: pipewire-pulse and wireplumber before pipewire, the bus last.
  for ((i = ${#LUMIQO_PW_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${LUMIQO_PW_PIDS[i]}
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  LUMIQO_PW_PIDS=()
  [ -n "${LUMIQO_PW_DIR:-}" ] && rm -rf "$LUMIQO_PW_DIR"
  LUMIQO_PW_DIR=
  return 0
}
