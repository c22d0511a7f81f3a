# Sourced by scripts that need an X display of their own: starts Xvfb (1280x800) with openbox
# and exports DISPLAY. The display number is LUMIQO_E2E_DISPLAY (":97") when set, else the
# first free one, as Xvfb picks it.
#   start_virtual_display || exit 77   # 1 when Xvfb, openbox or xdotool is missing
#   stop_virtual_display               # stops only what start_virtual_display started

start_virtual_display() {
  local tool
  for tool in Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null 2>&1 || { echo "virtual-display: $tool is missing" >&2; return 1; }
  done
  LUMIQO_VD_DIR=$(mktemp -d /tmp/lumiqo-display.XXXXXX) || return 1
  if [ -n "${LUMIQO_E2E_DISPLAY:-}" ]; then
    Xvfb "$LUMIQO_E2E_DISPLAY" -screen 0 1280x800x24 -nolisten tcp >"$LUMIQO_VD_DIR/xvfb.log" 2>&1 &
    LUMIQO_VD_XVFB=$!
    export DISPLAY=$LUMIQO_E2E_DISPLAY
  else
    Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp 9>"$LUMIQO_VD_DIR/number" >"$LUMIQO_VD_DIR/xvfb.log" 2>&1 &
    LUMIQO_VD_XVFB=$!
    for _ in $(seq 200); do [ -s "$LUMIQO_VD_DIR/number" ] && break; sleep 0.05; done
    export DISPLAY=:$(tr -d '\n' <"$LUMIQO_VD_DIR/number")
  fi
  local ready=0
  for _ in $(seq 200); do
    xprop -root >/dev/null 2>&1 && { ready=1; break; }
    kill -0 "$LUMIQO_VD_XVFB" 2>/dev/null || break
    sleep 0.05
  done
  [ "$ready" = 1 ] || { echo "virtual-display: Xvfb did not start on $DISPLAY" >&2; stop_virtual_display; return 1; }
  openbox --sm-disable >"$LUMIQO_VD_DIR/openbox.log" 2>&1 &
  LUMIQO_VD_WM=$!
  # The window manager is up once it names itself on the root window.
  for _ in $(seq 200); do
    [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]] && return 0
    sleep 0.05
  done
  echo "virtual-display: openbox did not start" >&2
  stop_virtual_display
  return 1
}

stop_virtual_display() {
  [ -n "${LUMIQO_VD_WM:-}" ] && kill "$LUMIQO_VD_WM" 2>/dev/null && wait "$LUMIQO_VD_WM" 2>/dev/null
  [ -n "${LUMIQO_VD_XVFB:-}" ] && kill "$LUMIQO_VD_XVFB" 2>/dev/null && wait "$LUMIQO_VD_XVFB" 2>/dev/null
  [ -n "${LUMIQO_VD_DIR:-}" ] && rm -rf "$LUMIQO_VD_DIR"
  LUMIQO_VD_WM= LUMIQO_VD_XVFB= LUMIQO_VD_DIR=
  return 0
}
