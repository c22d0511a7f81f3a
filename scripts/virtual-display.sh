# Sourced by scripts that need an X display of their own: starts Xvfb (1280x800) with openbox
# and exports DISPLAY. The display number is LUMIQO_E2E_DISPLAY (":97") when set, else the
# first free one, as Xvfb picks it.
#   start_virtual_display [--tray] [--compositor]   # 1 when a tool is missing, 2 when one
#                                                   # would not start
#   test_virtual_display [--tray] [--compositor]    # for tests: skips (exit 77) when a tool
#                                                   # is missing, fails (exit 1) when one
#                                                   # would not start
#   stop_virtual_display               # stops only what start_virtual_display started
# --tray adds a notification area (trayer, an XEmbed tray at the bottom right), --compositor a
# compositing manager (xcompmgr), so that window opacity shows.

start_virtual_display() {
  local tool tray=0 compositor=0 arg
  for arg in "$@"; do
    case $arg in
      --tray) tray=1 ;;
      --compositor) compositor=1 ;;
    esac
  done
  local tools=(Xvfb openbox xdotool xwininfo xprop)
  [ "$tray" = 1 ] && tools+=(trayer)
  [ "$compositor" = 1 ] && tools+=(xcompmgr)
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "virtual-display: $tool is missing" >&2; return 1; }
  done
  LUMIQO_VD_DIR=$(mktemp -d /tmp/lumiqo-display.XXXXXX) || return 1
  # -noreset: by default the server starts over whenever its last client leaves, and a client
  # that connects meanwhile is turned away; the readiness probe below is such a last client, so
  # on a busy machine the window manager started right after it could not open the display.
  if [ -n "${LUMIQO_E2E_DISPLAY:-}" ]; then
    Xvfb "$LUMIQO_E2E_DISPLAY" -screen 0 1280x800x24 -nolisten tcp -noreset >"$LUMIQO_VD_DIR/xvfb.log" 2>&1 &
    LUMIQO_VD_XVFB=$!
    export DISPLAY=$LUMIQO_E2E_DISPLAY
  else
    Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$LUMIQO_VD_DIR/number" >"$LUMIQO_VD_DIR/xvfb.log" 2>&1 &
    LUMIQO_VD_XVFB=$!
    local numbered=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$numbered" ] && [ ! -s "$LUMIQO_VD_DIR/number" ]; do sleep 0.05; done
    export DISPLAY=:$(tr -d '\n' <"$LUMIQO_VD_DIR/number")
  fi
  # On a busy machine each step here may take a while: the waits go by the clock.
  local ready=0 deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    xprop -root >/dev/null 2>&1 && { ready=1; break; }
    kill -0 "$LUMIQO_VD_XVFB" 2>/dev/null || break
    sleep 0.05
  done
  [ "$ready" = 1 ] || { echo "virtual-display: Xvfb did not start on $DISPLAY" >&2; stop_virtual_display; return 2; }
  openbox --sm-disable >"$LUMIQO_VD_DIR/openbox.log" 2>&1 &
  LUMIQO_VD_WM=$!
  # The window manager is up once it names itself on the root window.
  local wm=0
  deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]] && { wm=1; break; }
    kill -0 "$LUMIQO_VD_WM" 2>/dev/null || break
    sleep 0.05
  done
  [ "$wm" = 1 ] || {
    echo "virtual-display: openbox did not start:" >&2
    cat "$LUMIQO_VD_DIR/openbox.log" >&2
    stop_virtual_display
    return 2
  }
  if [ "$tray" = 1 ]; then
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --SetDockType true \
      --transparent false >"$LUMIQO_VD_DIR/trayer.log" 2>&1 &
    LUMIQO_VD_TRAY=$!
    virtual_display_wait_for_selection _NET_SYSTEM_TRAY_S0 || { stop_virtual_display; return 2; }
  fi
  if [ "$compositor" = 1 ]; then
    xcompmgr -n >"$LUMIQO_VD_DIR/xcompmgr.log" 2>&1 &
    LUMIQO_VD_COMPOSITOR=$!
    virtual_display_wait_for_selection _NET_WM_CM_S0 || { stop_virtual_display; return 2; }
  fi
  return 0
}

# A display for a test: a machine without the tools skips the test, but a display that does not
# start where the tools are is a failure, not a skip that would hide what the test checks.
test_virtual_display() {
  local status=0
  start_virtual_display "$@" || status=$?
  case $status in
    0) return 0 ;;
    1) echo "SKIPPED: no virtual display"; exit 77 ;;
    *) echo "virtual-display: the display did not start" >&2; exit 1 ;;
  esac
}

# Waits until some client owns an X selection (the tray's or the compositor's).
virtual_display_wait_for_selection() {
  for _ in $(seq 200); do
    python3 - "$1" <<'PY' 2>/dev/null && return 0
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
d = x.XOpenDisplay(None)
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, sys.argv[1].encode(), 0)) else 1)
PY
    sleep 0.05
  done
  echo "virtual-display: nobody took $1" >&2
  return 1
}

stop_virtual_display() {
  # Every step runs even when one fails (a process already gone), also in scripts that run
  # with errexit: there a failing `wait` used to end the function before Xvfb was stopped.
  local pid
  for pid in "${LUMIQO_VD_COMPOSITOR:-}" "${LUMIQO_VD_TRAY:-}" "${LUMIQO_VD_WM:-}" "${LUMIQO_VD_XVFB:-}"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -z "${LUMIQO_VD_DIR:-}" ] || rm -rf "$LUMIQO_VD_DIR"
  LUMIQO_VD_WM= LUMIQO_VD_XVFB= LUMIQO_VD_DIR= LUMIQO_VD_TRAY= LUMIQO_VD_COMPOSITOR=
  return 0
}
