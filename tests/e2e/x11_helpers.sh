# Sourced by the whole-program desktop tests: the windows of the X display in DISPLAY, read and
# driven with xwininfo, xprop and xdotool, on top of the scripts' shared results and waiting.
# The pointer moves on POINTER_DISPLAY when it is set (a nested compositor's outer display).

# shellcheck source=script_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/script_helpers.sh"

window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window "$1")" ]; }
geometry() { # "x y w h" of a window, from the X server
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}
position() { geometry "$1" | cut -d' ' -f1-2; }
mapped() { xwininfo -id "$1" | grep -q 'IsViewable'; }
unmapped() { ! mapped "$1"; }
# Fully opaque: Qt then leaves out the opacity property or sets it to its full value.
opaque() {
  local o
  o=$(xprop -id "$1" _NET_WM_WINDOW_OPACITY)
  [[ $o == *"not found"* || $o == *"= 4294967295" ]]
}
shown() { mapped "$1" && opaque "$1"; }
# The top-level window under the pointer, as the X server finds it for a click: a window
# manager's frame, or a window of its own.
window_under_pointer() { xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p'; }
# The top-level window that holds a window: its frame, or the window itself (decimal).
frame_of() {
  local w=$1 tree
  for _ in 1 2 3 4 5 6 7 8; do
    tree=$(xwininfo -tree -id "$w") || return 1
    [ "$(awk '/Root window id:/ {print $4}' <<<"$tree")" = "$(awk '/Parent window id:/ {print $4}' <<<"$tree")" ] && break
    w=$(awk '/Parent window id:/ {print $4}' <<<"$tree")
  done
  printf '%d\n' "$w"
}
pointer() { DISPLAY=${POINTER_DISPLAY:-$DISPLAY} xdotool "$@"; }
click_at() { # window x y [button [repeat]]
  local wx wy
  read -r wx wy _ <<<"$(geometry "$1")"
  pointer mousemove $((wx + $2)) $((wy + $3)) sleep 0.15 click --repeat "${5:-1}" --delay 120 "${4:-1}"
}
# Presses on a window at (x, y), moves the pointer by (dx, dy) in ten steps, releases and
# gives the windows half a second.
drag() { # window x y dx dy
  local wx wy
  read -r wx wy _ <<<"$(geometry "$1")"
  local sx=$((wx + $2)) sy=$((wy + $3))
  pointer mousemove "$sx" "$sy" sleep 0.1 mousedown 1
  for i in $(seq 10); do pointer mousemove $((sx + $4 * i / 10)) $((sy + $5 * i / 10)); sleep 0.03; done
  sleep 0.1
  pointer mouseup 1
  sleep 0.5
}
# Waits until the windows named stay where they are for half a second (at most 5 s).
settle() {
  local last="" now
  for _ in $(seq 10); do
    now=$(for w in "$@"; do geometry "$w"; done)
    [ "$now" = "$last" ] && return 0
    last=$now
    sleep 0.5
  done
}
