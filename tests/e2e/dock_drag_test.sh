#!/usr/bin/env bash
# Docking under a real X server and window manager: three frameless windows (the docking demo)
# are dragged with xdotool (press on the background, move in steps, release) and their
# positions are read back from the X server.
# Usage: dock_drag_test.sh PATH/TO/lumiqo_dock_windows. Exit 77 (skipped) without Xvfb & co.
set -uo pipefail
demo=${1:?usage: dock_drag_test.sh DEMO_PROGRAM}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/virtual-display.sh
. "$here/../../scripts/virtual-display.sh"

test_virtual_display
runtime=$(mktemp -d /tmp/lumiqo-dock-runtime.XXXXXX)
chmod 700 "$runtime"
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
  stop_virtual_display
  rm -rf "$runtime"
}
trap cleanup EXIT

# Under AddressSanitizer the strict string checks trip over libxkbcommon's strndup of a name
# that is not NUL-terminated, which strndup allows; they stay on for everything else.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 \
XDG_RUNTIME_DIR=$runtime QT_FORCE_STDERR_LOGGING=1 QT_QPA_PLATFORM=xcb "$demo" >"$runtime/demo.log" 2>&1 &
demo_pid=$!

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

declare -A id
for name in main lyrics playlist; do
  id[$name]=$(timeout 10 xdotool search --sync --onlyvisible --name "^dock-$name\$" | head -n 1)
  [ -n "${id[$name]}" ] || { echo "FAIL: window dock-$name never appeared"; cat "$runtime/demo.log"; exit 1; }
done

# "x y w h" of a window, as the X server has it (root coordinates).
geometry() {
  xwininfo -id "${id[$1]}" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}
pos() { geometry "$1" | cut -d' ' -f1-2; }

# Waits until every window has settled (two equal readings in a row), at most 3 s.
settle() {
  local last="" now
  for _ in $(seq 30); do
    now="$(geometry main) $(geometry lyrics) $(geometry playlist)"
    [ "$now" = "$last" ] && return
    last=$now
    sleep 0.1
  done
}

# Presses at (x, y) of the window `name`, moves by (dx, dy) in 10 steps, releases.
drag() {
  local name=$1 x=$2 y=$3 dx=$4 dy=$5
  read -r wx wy _ <<<"$(geometry "$name")"
  local sx=$((wx + x)) sy=$((wy + y))
  xdotool mousemove "$sx" "$sy"
  sleep 0.05
  xdotool mousedown 1
  for i in $(seq 10); do
    xdotool mousemove "$((sx + dx * i / 10))" "$((sy + dy * i / 10))"
    sleep 0.03
  done
  sleep 0.05
  xdotool mouseup 1
  settle
}

expect() { # what, actual, expected
  [ "$2" = "$3" ] && echo "ok: $1 ($2)" || fail "$1: got '$2', want '$3'"
}
offset() { # offset of window $1 from the main window
  read -r mx my <<<"$(pos main)"
  read -r x y <<<"$(pos "$1")"
  echo "$((x - mx)) $((y - my))"
}

settle
expect "lyrics starts right of main" "$(offset lyrics)" "300 0"
expect "playlist starts below main" "$(offset playlist)" "0 120"

drag main 150 60 -123 61
expect "main dragged" "$(pos main)" "77 211"
expect "lyrics keeps its offset" "$(offset lyrics)" "300 0"
expect "playlist keeps its offset" "$(offset playlist)" "0 120"

# The playlist's bottom (211 + 400 = 611) to 7 px above the screen's bottom (800).
drag main 150 60 0 182
read -r _ py _ ph <<<"$(geometry playlist)"
expect "the group snaps to the bottom edge" "$((py + ph))" "800"
expect "main follows the snap" "$(pos main)" "77 400"
expect "lyrics still glued" "$(offset lyrics)" "300 0"

# The playlist dragged away (clear of both other windows) comes loose: the main window leaves
# it behind.
drag playlist 150 100 560 -100
loose=$(pos playlist)
drag main 150 60 0 -300
expect "a loose playlist stays where it was" "$(pos playlist)" "$loose"
expect "lyrics moves with main" "$(offset lyrics)" "300 0"

# Back under the main window, 9 px low and 4 px right: snapped flush, and glued again.
read -r mx my <<<"$(pos main)"
read -r px py <<<"$(pos playlist)"
drag playlist 150 100 $((mx + 4 - px)) $((my + 120 + 9 - py))
expect "the playlist snaps flush under main" "$(offset playlist)" "0 120"
drag main 150 60 250 150
expect "and travels with main again" "$(offset playlist)" "0 120"
expect "lyrics too" "$(offset lyrics)" "300 0"

kill -0 "$demo_pid" 2>/dev/null || fail "the demo program ended"
grep -qE "Sanitizer|runtime error" "$runtime/demo.log" && fail "the demo program reported errors"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; demo log:"
  cat "$runtime/demo.log"
  exit 1
fi
echo "all docking checks passed on $DISPLAY"
