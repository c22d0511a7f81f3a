# Sourced by the whole-program tests and by hand: a virtual desktop on a display of its own.
#   start_desktop DISPLAY [--no-tray] [--no-compositor]
# starts Xvfb on DISPLAY (":91"), openbox as the window manager, trayer as the notification
# area (an XEmbed tray at the bottom of the screen) and xcompmgr as the compositing manager,
# each only when asked for, and exports DISPLAY. stop_desktop ends what it started.
# Returns 1 when Xvfb or openbox is missing or the display does not come up.

lumiqo_desktop_pids=()

start_desktop() {
  local display=$1; shift
  local tray=1 compositor=1
  for arg in "$@"; do
    case $arg in
      --no-tray) tray=0 ;;
      --no-compositor) compositor=0 ;;
    esac
  done
  command -v Xvfb >/dev/null && command -v openbox >/dev/null || return 1
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  lumiqo_desktop_pids+=($!)
  export DISPLAY=$display
  local up=0
  for _ in $(seq 100); do
    if xdpyinfo >/dev/null 2>&1; then up=1; break; fi
    sleep 0.05
  done
  [ "$up" = 1 ] || { stop_desktop; return 1; }
  openbox >/dev/null 2>&1 &
  lumiqo_desktop_pids+=($!)
  if [ "$tray" = 1 ] && command -v trayer >/dev/null; then
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --SetDockType true \
      --transparent false >/dev/null 2>&1 &
    lumiqo_desktop_pids+=($!)
  fi
  if [ "$compositor" = 1 ] && command -v xcompmgr >/dev/null; then
    xcompmgr -n >/dev/null 2>&1 &
    lumiqo_desktop_pids+=($!)
  fi
  # The window manager (and the tray) own their selections once they are up.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  return 0
}

stop_desktop() {
  local pid
  for pid in "${lumiqo_desktop_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${lumiqo_desktop_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  lumiqo_desktop_pids=()
}
