#!/usr/bin/env bash
# The whole player on a virtual desktop, driven like a person would: the three windows at
# their places, the tabs, a chart from the list menu, a double-click that plays a row (the
# null sink records it when a sound server runs), minimise and restore, a drag of the docked
# windows, and the exit. Faded-out windows are hidden in either mode.
# Usage: desktop_test.sh LUMIQO LUMIQO_SERVER MODE
#   MODE "tray": window manager, notification area and compositing manager; a toggled-off
#   window lets clicks through to what lies under it, the window manager's close on the lyrics
#   window is its close button, minimise goes to the tray (a link handed over brings the player
#   back from there), and the exit comes from the tray menu.
#   MODE "plain": window manager only; minimise goes to the task bar, and the close button ends
#   the program.
# Screenshots go to LUMIQO_E2E_SHOTS (default: the current folder). Exit 77 (skipped) when
# the desktop tools are missing.
set -uo pipefail
player=${1:?usage: desktop_test.sh LUMIQO LUMIQO_SERVER MODE}
server=${2:?}
mode=${3:?}
here=$(cd "$(dirname "$0")" && pwd)
shots=${LUMIQO_E2E_SHOTS:-$PWD}
# shellcheck source=../../scripts/virtual-display.sh
. "$here/../../scripts/virtual-display.sh"
# shellcheck source=x11_helpers.sh
. "$here/x11_helpers.sh"

for tool in ffmpeg python3; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
if [ "$mode" = tray ]; then
  test_virtual_display --tray --compositor
else
  test_virtual_display
fi

work=$(mktemp -d /tmp/lumiqo-desktop.XXXXXX)
mkdir -p "$work/run" "$work/home" "$work/data" "$work/config" "$work/music"
chmod 700 "$work/run"
server_pid= player_pid= record_pid= below_pid=
cleanup() {
  for pid in $below_pid $record_pid $player_pid $server_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

# --- a small catalogue: three songs with lyrics, and a chart ------------------------------
song() { # file title artist frequency
  ffmpeg -loglevel error -f lavfi -i "sine=frequency=$4:duration=30" -ac 2 -ar 44100 -b:a 128k \
    -metadata title="$2" -metadata artist="$3" "$work/music/$1.mp3" || return 1
  printf '[00:00.00]%s\r\n[00:02.00]第一句\r\n[00:04.00]第二句\r\n[00:29.00]\r\n' "$2" >"$work/music/$1.lrc"
}
song a "晨光" "测试乐队" 440 && song b "晚风" "测试乐队" 550 && song c "星河" "另一位歌手" 660 ||
  { echo "FAIL: could not make the test songs"; exit 1; }
printf '[chart1]\r\nb.mp3\r\nc.mp3\r\n' >"$work/music/catalogue.ini"
"$server" import "$work/music" --db "$work/catalogue.db" >/dev/null 2>"$work/import.log" ||
  { echo "FAIL: import"; cat "$work/import.log"; exit 1; }
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$server" serve --db "$work/catalogue.db" --listen "127.0.0.1:$port" 2>"$work/server.log" &
server_pid=$!
wait_for 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" 2>/dev/null || { echo "FAIL: server"; exit 1; }
served() { grep -q "$1" "$work/server.log"; }

# --- sound: the null sink when a sound server runs, else the no-sound device ---------------
device=0
if command -v pactl >/dev/null && pactl list short sinks 2>/dev/null | grep -q lumiqo_null; then
  device=-1
fi

# --- the player --------------------------------------------------------------------------
started=$(date +%s%N)
lumiqo() { # the player's own environment; "&" is the caller's
  env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_DATA_HOME="$work/data" \
    XDG_CONFIG_HOME="$work/config" LUMIQO_SERVER="127.0.0.1:$port" LUMIQO_AUDIO_DEVICE="$device" QT_QPA_PLATFORM=xcb \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 "$player" "$@"
}
lumiqo >"$work/player.log" 2>&1 &
player_pid=$!

declare -A id
for name in "Lumiqo" "Lumiqo 歌词" "Lumiqo 播放列表"; do
  wait_for 20 has_window "$name" || { echo "FAIL: window '$name' never appeared"; cat "$work/player.log"; exit 1; }
  id[$name]=$(window "$name")
done
echo "figure: launch to three windows mapped: $((($(date +%s%N) - started) / 1000000)) ms (polled)"
main=${id[Lumiqo]} lrc=${id[Lumiqo 歌词]} list=${id[Lumiqo 播放列表]}

shot() { ffmpeg -loglevel error -y -f x11grab -video_size 1280x800 -i "$DISPLAY" -frames:v 1 "$shots/$1" && ok "screenshot $shots/$1"; }

# --- the three windows at their places ------------------------------------------------------
sleep 1
read -r mx my mw mh <<<"$(geometry "$main")"
read -r lx ly lw lh <<<"$(geometry "$lrc")"
read -r px py pw ph <<<"$(geometry "$list")"
[ "$mw $mh" = "456 177" ] && ok "main window 456 x 177" || fail "main window is $mw x $mh"
[ $((lx + lw)) = $((mx + mw)) ] && [ $((px + pw)) = $((mx + mw)) ] && ok "lyrics and playlist right-aligned" ||
  fail "not right-aligned: main $mx+$mw, lyrics $lx+$lw, playlist $px+$pw"
[ $((my - ly)) = 57 ] && [ $((py - my)) = 149 ] && ok "stacked 850 twips above and 2230 below the main top" ||
  fail "stacking: lyrics $((my - ly)) above, playlist $((py - my)) below"
off_task_bar() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR; }
off_task_bar "$lrc" && off_task_bar "$list" && ! off_task_bar "$main" &&
  ok "only the main window is on the task bar" || fail "task bar: $(xprop -id "$lrc" _NET_WM_STATE), $(xprop -id "$list" _NET_WM_STATE)"
wait_for 10 served "GET /soft/mlist0.asp" && ok "start list requested" || fail "no start list request"
shot "desktop-$mode-start.png"

if [ "$mode" = tray ]; then
  # --- with a compositor, a toggled-off window is gone: a click at its place reaches what lies
  # under it (a message box here, whose button ends it with status 7)
  read -r px py _ <<<"$(geometry "$list")"
  xmessage -geometry 240x240+$((px + 30))+$((py + 60)) -buttons "under:7" "under the playlist" >/dev/null 2>&1 &
  below_pid=$!
  wait_for 10 has_window xmessage || fail "no message box to lie under the playlist"
  below=$(window xmessage)
  # Its button: the lowest of its inner windows.
  read -r bx by <<<"$(xwininfo -tree -id "$below" | awk '$1 ~ /^0x/ && $NF ~ /^\+/ {
    split($NF, a, "+"); split($(NF - 1), g, "[x+]")
    if (a[3] + 0 >= y) { y = a[3] + 0; x = a[2] + 0; w = g[1]; h = g[2] } } END { print x + int(w / 2), y + int(h / 2) }')"
  xdotool windowactivate --sync "$list" mousemove "$bx" "$by" sleep 0.3
  [ "$(window_under_pointer)" = "$(frame_of "$list")" ] && ok "the playlist lies over the message box" ||
    fail "the playlist is not over the message box's button at $bx,$by"
  click_at "$main" 87 153 # an_playlist
  wait_for 5 unmapped "$list" && ok "the toggled-off playlist is unmapped, compositor or not" ||
    fail "the toggled-off playlist is still mapped"
  xdotool mousemove "$bx" "$by" sleep 0.3 click 1
  wait_for 5 bash -c "! kill -0 $below_pid 2>/dev/null"
  wait "$below_pid" 2>/dev/null
  [ $? = 7 ] && ok "a click at its place reaches the window under it" || fail "the click did not reach the message box"
  below_pid=
  click_at "$main" 87 153
  wait_for 5 shown "$list" && ok "the playlist toggle shows it again, opaque" || fail "the playlist did not come back"
  off_task_bar "$list" || fail "the playlist shown again is on the task bar"

  # --- the window manager's close (Alt+F4) on the lyrics window is its close button: one click
  # on the lyrics toggle brings it back
  xdotool windowactivate --sync "$lrc" key alt+F4
  wait_for 5 unmapped "$lrc" && ok "Alt+F4 hides the lyrics window" || fail "Alt+F4 left the lyrics window"
  kill -0 "$player_pid" 2>/dev/null || fail "Alt+F4 on the lyrics window ended the player"
  click_at "$main" 87 22 # an_lyric
  wait_for 5 shown "$lrc" && ok "one click on the lyrics toggle brings it back" || fail "the lyrics toggle did not bring it back"
fi

# --- tabs and the list menu --------------------------------------------------------------
lines_before=$(wc -l <"$work/server.log")
click_at "$list" 40 40 # 推荐列表
wait_for 5 bash -c "tail -n +$((lines_before + 1)) '$work/server.log' | grep -q 'GET /soft/mlist0.asp'" &&
  ok "the 推荐列表 tab loads the start list" || fail "the 推荐列表 tab requested nothing"
click_at "$list" 192 35 # 分类找歌: the list menu at the mouse
sleep 0.5
xdotool key Up sleep 0.2 key Right sleep 0.2 key Return # 热门分类 > 歌曲排行
wait_for 5 served "GET /soft/mlist1.txt" && ok "a chart from the list menu loads" || fail "the chart was not requested"
sleep 0.5

# --- the search panel: Chinese typed into its box is searched for with Enter ---------------
click_at "$list" 261 35 # 关键字找歌 opens the panel over the list
sleep 0.5
click_at "$list" 203 207 # the search box: focus, and a click selects its text
xdotool type --delay 150 "晚风"
xdotool key Return
# The access log leaves out query strings: the reply's size tells the term, as asked here.
wait_for 5 served "GET /soft/mlist_soso.asp" || fail "Enter in the search box searched nothing"
searched=$(grep "GET /soft/mlist_soso.asp" "$work/server.log" | head -n 1)
soso() { python3 -c "import urllib.request, sys; print(len(urllib.request.urlopen(sys.argv[1]).read()))" \
  "http://127.0.0.1:$port/soft/mlist_soso.asp?gs=$1&t=0"; }
found=$(soso "$(python3 -c 'print("晚风".encode("gbk").hex())')") nothing=$(soso 7a7a7a7a)
[ "$found" != "$nothing" ] && [[ "$searched" == *" 200 $found "* ]] && ok "typed 晚风 and searched for it" ||
  fail "the search was not for the typed 晚风: '$searched', a reply for 晚风 has $found bytes"
click_at "$list" 261 35 # and the panel closes again
sleep 0.5

# --- a double-click on the first row plays it ----------------------------------------------
if [ "$device" = -1 ]; then
  parec -d lumiqo_null.monitor --raw --format=s16le --channels=2 --rate=44100 >"$work/heard.raw" 2>/dev/null &
  record_pid=$!
fi
click_at "$list" 120 82 1 2
wait_for 15 served "GET /getuuauthcode/" && ok "the double-click asked for authorisation" || fail "no authorisation request"
wait_for 15 bash -c "grep -qE 'GET /(21z|19z|[a-z0-9]+z)/.*\\.mp3' '$work/server.log'" && ok "the song's stream was fetched" ||
  fail "no stream request"
if [ -n "$record_pid" ]; then
  sleep 4
  kill "$record_pid" 2>/dev/null; wait "$record_pid" 2>/dev/null; record_pid=
  loud=$(python3 -c "
import array, sys
data = open(sys.argv[1], 'rb').read()
samples = array.array('h')
samples.frombytes(data[: len(data) // 2 * 2])
print(sum(1 for v in samples if abs(v) > 1000))" "$work/heard.raw")
  [ "${loud:-0}" -gt 44100 ] && ok "the null sink heard the song ($loud loud samples)" || fail "the null sink heard nothing"
fi
shot "desktop-$mode-playing.png"

# --- minimise and restore ----------------------------------------------------------------
click_at "$main" 147 113 # an_minimize
if [ "$mode" = tray ]; then
  wait_for 5 unmapped "$main" && ok "minimised: the main window is gone" ||
    fail "the main window stayed after minimise"
  mapped "$lrc" && ok "the lyrics window stays" || fail "the lyrics window went away"
  icon=$(xdotool search --class lumiqo 2>/dev/null | while read -r w; do
    xwininfo -id "$w" | grep -q 'Width: 22' && echo "$w"; done | head -n 1)
  [ -n "$icon" ] || { fail "no tray icon"; }
  if [ -n "$icon" ]; then
    click_at "$icon" 11 11
    sleep 1.5
    unmapped "$main" && ok "a single click on the XEmbed tray icon leaves the player in the tray" ||
      fail "a single click on the XEmbed tray icon restored the player"
    # A link handed over brings the player back from the tray as the icon does: opaque.
    link=$(python3 - "$port" <<'PY'
import sys, urllib.request
rows = urllib.request.urlopen(f"http://127.0.0.1:{sys.argv[1]}/soft/mlist0.asp").read().decode("gbk").split("\r\n")
title, artist, link = rows[0].split(",")[:3]
print("qorvex://zembrol=" + title.encode("gbk").hex() + "_" + artist.encode("gbk").hex() + "_" + link)
PY
)
    lumiqo "$link" >/dev/null 2>&1
    wait_for 10 shown "$main" && ok "a link handed over while in the tray shows the main window opaque" ||
      fail "a link handed over while in the tray: main window mapped: $(mapped "$main" && echo yes), $(xprop -id "$main" _NET_WM_WINDOW_OPACITY)"
    wait_for 5 shown "$list" && ok "and the playlist with it" || fail "the playlist did not come back with the link"
    click_at "$main" 147 113 # an_minimize
    wait_for 5 unmapped "$main" || fail "the main window stayed after the second minimise"
    click_at "$icon" 11 11 1 2
    wait_for 5 shown "$main" && ok "a double-click on the tray icon restores it" || fail "no restore from the tray"
  fi
else
  wait_for 5 bash -c "xprop -id $main WM_STATE | grep -q Iconic" && ok "minimised to the task bar (iconic)" ||
    fail "the main window is not iconic after minimise"
  xdotool windowactivate "$main" 2>/dev/null
  wait_for 5 bash -c "xprop -id $main WM_STATE | grep -q Normal" && ok "restored from the task bar" ||
    fail "no restore from the task bar"
  # A toggled-off window is hidden.
  click_at "$main" 87 153 # an_playlist
  wait_for 5 unmapped "$list" && ok "the playlist toggle hides it" ||
    fail "the playlist stayed"
  click_at "$main" 87 153
  wait_for 5 mapped "$list" && ok "and shows it again" || fail "the playlist did not come back"
fi
sleep 0.5

# --- docking: the playlist dragged flush under the main window glues to it ---------------
read -r mx my _ mh <<<"$(geometry "$main")"
read -r px py _ <<<"$(geometry "$list")"
drag "$list" 150 10 0 $((my + mh + 6 - py)) # the title bar, to 6 px under the main window
read -r px py _ <<<"$(geometry "$list")"
[ "$py" = $((my + mh)) ] && ok "the playlist snaps flush under the main window" || fail "no snap: playlist top $py, main bottom $((my + mh))"
offset=$((px - mx)),$((py - my))
drag "$main" 300 40 -200 -60 # by the face
read -r mx my _ <<<"$(geometry "$main")"
read -r px py _ <<<"$(geometry "$list")"
[ "$((px - mx)),$((py - my))" = "$offset" ] && ok "the glued playlist travels with the main window" ||
  fail "the playlist did not follow: offset $((px - mx)),$((py - my)), was $offset"
shot "desktop-$mode-docked.png"
if [ "$mode" = tray ]; then
  # The group brought to within 10 px of the screen's left edge snaps flush to it.
  read -r mx my _ <<<"$(geometry "$main")"
  drag "$main" 300 40 $((6 - mx)) 0
  read -r mx _ <<<"$(geometry "$main")"
  [ "$mx" = 0 ] && ok "the group snaps to the screen's left edge" || fail "no snap to the edge: main at x $mx"
  read -r px py _ <<<"$(geometry "$list")"
  [ "$((px - mx)),$((py - my))" = "$offset" ] && ok "the playlist kept its offset" || fail "the playlist left the group"
  # Dragged away, the playlist comes loose; back within 9 px, it snaps and glues again.
  drag "$list" 150 10 300 120
  read -r px2 py2 _ <<<"$(geometry "$list")"
  drag "$main" 300 40 40 0
  read -r px3 py3 _ <<<"$(geometry "$list")"
  [ "$px3,$py3" = "$px2,$py2" ] && ok "a playlist dragged away stays behind" || fail "the loose playlist moved with the main window"
  read -r mx my _ mh <<<"$(geometry "$main")"
  drag "$list" 150 10 $((mx + 150 - px3 + 0)) $((my + mh + 9 - py3))
  read -r px py _ <<<"$(geometry "$list")"
  [ "$py" = $((my + mh)) ] && ok "back within 9 px it snaps flush again" || fail "no snap at 9 px: top $py, main bottom $((my + mh))"
  offset=$((px - mx)),$((py - my))
  drag "$main" 300 40 60 40
  read -r mx my _ <<<"$(geometry "$main")"
  read -r px py _ <<<"$(geometry "$list")"
  [ "$((px - mx)),$((py - my))" = "$offset" ] && ok "and travels with the main window again" || fail "not glued again"
fi

# --- the end -----------------------------------------------------------------------------
if [ "$mode" = tray ]; then
  click_at "$icon" 11 11 3 # the tray menu
  sleep 0.7
  xdotool key Up sleep 0.2 key Return # 退出系统, the last item
else
  click_at "$main" 123 142 # an_close
fi
wait_for 10 bash -c "! kill -0 $player_pid 2>/dev/null" && ok "the program ended" || fail "the program is still running"
wait "$player_pid" 2>/dev/null
player_pid=
lrc_file=$(dirname "$player")/lrc
[ ! -e "$lrc_file" ] && ok "no lyrics work file left" || fail "the lyrics work file $lrc_file is left"
grep -qE "Sanitizer|runtime error" "$work/player.log" && fail "the player reported errors"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; player log:"
  cat "$work/player.log"
  echo "server log (tail):"
  tail -n 30 "$work/server.log"
  exit 1
fi
echo "all desktop checks passed ($mode) on $DISPLAY"
