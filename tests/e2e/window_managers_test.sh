#!/usr/bin/env bash
# The player under the desktops people run, one short run each (no catalogue: the windows are
# what is tried):
#   sni       openbox without an XEmbed tray, and a StatusNotifierWatcher with a host on a
#             private session bus (KDE Plasma, XFCE's status tray and GNOME's AppIndicator
#             extension are such trays): the player minimises into it, and the activation of
#             its item (a click there) restores it;
#   mutter    GNOME's compositor, headless, with Xwayland: the three windows start at their
#             places, and a drag moves the docked group by exactly the pointer's movement;
#   weston    weston's Xwayland, weston nested in a virtual display that lends it a pointer: the
#             windows start at their places; weston does not let programs move their windows,
#             and a drag must not make them run away;
#   stubborn  a window manager of the test's own that applies every move late: the group
#             follows the pointer exactly and stays docked; then one that refuses every move:
#             where the player asks its windows to go follows the pointer, never running away.
# Usage: window_managers_test.sh LUMIQO STUBBORN_WM MODE. Exit 77 (skipped) when a tool is
# missing.
set -uo pipefail
player=${1:?usage: window_managers_test.sh LUMIQO STUBBORN_WM MODE}
stubborn=${2:?}
mode=${3:?}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/virtual-display.sh
. "$here/../../scripts/virtual-display.sh"
# shellcheck source=x11_helpers.sh
. "$here/x11_helpers.sh"

skip() { echo "SKIPPED: $*"; exit 77; }
need() { for tool in "$@"; do command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"; done; }
need Xvfb xdotool xwininfo xprop python3

make_work_folder wm || exit 1
mkdir -p "$work/session" # the compositors' runtime folder
chmod 700 "$work/session"
pids=() # started here, ended in reverse order
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

# An X server of our own (1280x800) for the nested compositor or the stubborn manager.
start_xvfb() {
  Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$work/xvfb.number" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$work/xvfb.number" || return 1
  export DISPLAY=:$(tr -d '\n' <"$work/xvfb.number")
  wait_for 10 xprop -root >/dev/null 2>&1
}
# A private session bus.
start_bus() {
  need dbus-daemon gdbus
  dbus-daemon --session --nofork --print-address=1 >"$work/bus.address" 2>/dev/null &
  pids+=($!)
  wait_for 10 test -s "$work/bus.address" || return 1
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
  export DBUS_SESSION_BUS_ADDRESS
}
start_player() {
  local port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    LUMIQO_SERVER="127.0.0.1:$port" LUMIQO_AUDIO_DEVICE=0 QT_QPA_PLATFORM=xcb \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 \
    "$player" >"$work/player.log" 2>&1 &
  pids+=($!)
  player_pid=$!
  for name in "Lumiqo" "Lumiqo 歌词" "Lumiqo 播放列表"; do
    wait_for 30 has_window "$name" || { echo "FAIL: window '$name' never appeared"; cat "$work/player.log"; exit 1; }
  done
  main=$(window "Lumiqo") lrc=$(window "Lumiqo 歌词") list=$(window "Lumiqo 播放列表")
  settle "$main" "$lrc" "$list"
}
# The three windows where start-up puts them on a 1280 x 800 screen: the main window centred
# with the group at the bottom, the lyrics window above it and the playlist below its top,
# right-aligned with it.
check_places() {
  local mx my mw mh lx ly lw px py pw
  read -r mx my mw mh <<<"$(geometry "$main")"
  read -r lx ly lw _ <<<"$(geometry "$lrc")"
  read -r px py pw _ <<<"$(geometry "$list")"
  [ "$mx $my $mw $mh" = "412 182 456 177" ] && ok "$1: the main window at its place" ||
    fail "$1: the main window is at $mx,$my ($mw x $mh)"
  [ "$((lx + lw)),$((my - ly))" = "$((mx + mw)),57" ] && ok "$1: the lyrics window at its place" ||
    fail "$1: the lyrics window is at $lx,$ly"
  [ "$((px + pw)),$((py - my))" = "$((mx + mw)),149" ] && ok "$1: the playlist window at its place" ||
    fail "$1: the playlist window is at $px,$py"
}
positions() { echo "$(position "$main") $(position "$lrc") $(position "$list")"; }
# The three positions moved by (dx, dy).
moved_by() {
  local dx=$1 dy=$2 out="" x y
  shift 2
  while [ $# -ge 2 ]; do
    x=$1 y=$2
    shift 2
    out+="$((x + dx)) $((y + dy)) "
  done
  echo "${out% }"
}
# The face of the main window, right of the buttons, is where it drags.
drag_main() { drag "$main" 300 40 "$1" "$2"; }

run_sni() {
  need openbox /usr/bin/python3
  /usr/bin/python3 -c 'import gi; gi.require_version("Gio", "2.0")' 2>/dev/null || skip "python3-gi is missing"
  test_virtual_display
  start_bus || skip "no session bus"
  /usr/bin/python3 "$here/status_notifier_watcher.py" "$work/items" 2>"$work/watcher.log" &
  pids+=($!)
  wait_for 10 bash -c "gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.kde.StatusNotifierWatcher | grep -q true" ||
    { echo "FAIL: the watcher did not start"; cat "$work/watcher.log"; exit 1; }
  start_player
  check_places "StatusNotifier tray"
  wait_for 10 test -s "$work/items" && ok "the tray icon registered as a StatusNotifierItem" ||
    fail "no StatusNotifierItem registered"
  click_at "$main" 147 113 # an_minimize
  wait_for 5 unmapped "$main" && ok "minimised into the StatusNotifier tray" || fail "the main window stayed"
  gdbus call --session --dest "$(head -n 1 "$work/items")" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
  wait_for 5 shown "$main" && ok "activating the item restores the main window, opaque" ||
    fail "activating the item did not restore the main window"
  wait_for 5 shown "$list" && ok "and the playlist" || fail "the playlist did not come back"
}

run_mutter() {
  need mutter Xwayland dbus-daemon
  start_bus || skip "no session bus"
  XDG_RUNTIME_DIR=$work/session mutter --wayland --headless --virtual-monitor 1280x800 \
    --wayland-display=lumiqo-wm >"$work/mutter.log" 2>&1 &
  pids+=($!)
  # mutter names the display of its Xwayland in its log, and keeps its key in its runtime folder.
  wait_for 30 grep -qs "Using public X11 display" "$work/mutter.log" ||
    { echo "FAIL: mutter did not start"; cat "$work/mutter.log"; exit 1; }
  DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/mutter.log" | head -n 1)
  XAUTHORITY=$(find "$work/session" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n 1)
  export DISPLAY XAUTHORITY
  start_player
  check_places mutter
  local before
  before=$(positions)
  drag_main -150 -40
  settle "$main" "$lrc" "$list"
  # shellcheck disable=SC2086
  [ "$(positions)" = "$(moved_by -150 -40 $before)" ] &&
    ok "mutter: a drag moves the docked group by exactly the pointer's movement" ||
    fail "mutter: the group went from $before to $(positions) for a drag by -150,-40"
}

run_weston() {
  need weston Xwayland
  start_xvfb || skip "no virtual display"
  POINTER_DISPLAY=$DISPLAY
  XDG_RUNTIME_DIR=$work/session weston --backend=x11-backend.so --use-pixman --width=1280 --height=800 \
    --xwayland --socket=lumiqo-wm --no-config --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
  pids+=($!)
  wait_for 30 grep -qs "xserver listening on display" "$work/weston.log" ||
    { echo "FAIL: weston did not start"; cat "$work/weston.log"; exit 1; }
  DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -n 1)
  export DISPLAY
  start_player
  check_places weston
  local before after
  before=$(positions)
  drag_main -150 -40
  settle "$main" "$lrc" "$list"
  after=$(positions)
  # shellcheck disable=SC2086
  { [ "$after" = "$before" ] || [ "$after" = "$(moved_by -150 -40 $before)" ]; } &&
    ok "weston: a drag leaves the group in place or moves it with the pointer" ||
    fail "weston: the group ran from $before to $after for a drag by -150,-40"
}

run_stubborn() {
  start_xvfb || skip "no virtual display"
  "$stubborn" --late 150 >"$work/late.log" 2>&1 &
  local manager=$! before step asked="" w
  pids+=($manager)
  wait_for 10 grep -q ready "$work/late.log" || { echo "FAIL: no window manager"; exit 1; }
  start_player
  check_places "late moves"
  for step in "-150 -40" "60 25"; do
    before=$(positions)
    # shellcheck disable=SC2086
    drag_main $step
    settle "$main" "$lrc" "$list"
    # shellcheck disable=SC2086
    [ "$(positions)" = "$(moved_by $step $before)" ] && ok "late moves: the docked group follows a drag by $step" ||
      fail "late moves: the group went from $before to $(positions) for a drag by $step"
  done

  # Then a manager that refuses every move: the windows stay, and the last place the player
  # asks for is where the pointer's movement leads, for each of them.
  kill "$manager" && wait "$manager" 2>/dev/null
  "$stubborn" --refuse >"$work/refuse.log" 2>&1 &
  pids+=($!)
  wait_for 10 grep -q ready "$work/refuse.log" || { echo "FAIL: no refusing window manager"; exit 1; }
  before=$(positions)
  drag_main -100 -30
  for w in "$main" "$lrc" "$list"; do
    asked+="$(awk -v id="$(printf '0x%x' "$w")" '$1 == "move" && $2 == id {p = $3 " " $4} END {print p}' \
      "$work/refuse.log") "
  done
  # shellcheck disable=SC2086
  [ "${asked% }" = "$(moved_by -100 -30 $before)" ] &&
    ok "refused moves: the player asked for the pointer's movement, no more" ||
    fail "refused moves: from $before the player asked for '${asked% }' for a drag by -100,-30"
  [ "$(positions)" = "$before" ] || fail "the refusing manager moved windows"
}

case $mode in
sni | mutter | weston | stubborn) "run_$mode" ;;
*) echo "unknown mode $mode" >&2; exit 2 ;;
esac

kill -0 "$player_pid" 2>/dev/null || fail "the player ended"
grep -qE "Sanitizer|runtime error" "$work/player.log" && fail "the player reported errors"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; player log:"
  cat "$work/player.log"
  exit 1
fi
echo "all $mode checks passed on $DISPLAY"
