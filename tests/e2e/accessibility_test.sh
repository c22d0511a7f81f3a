#!/usr/bin/env bash
# The whole player as a screen reader and a keyboard meet it, on a virtual desktop with a
# private session bus and accessibility bus: every control's role and name on the bus, the
# play list's titles equal to the server's start list, the volume set through the slider's
# value changing the sound's volume, a song started, paused and skipped with keys alone, the
# list menu opened and closed with keys, and the focus ring in a screenshot.
# Usage: accessibility_test.sh LUMIQO LUMIQO_SERVER
# Screenshots go to LUMIQO_E2E_SHOTS (default: the current folder). Exit 77 (skipped) when
# the desktop or accessibility tools are missing.
set -uo pipefail
player=${1:?usage: accessibility_test.sh LUMIQO LUMIQO_SERVER}
server=${2:?}
here=$(cd "$(dirname "$0")" && pwd)
shots=${LUMIQO_E2E_SHOTS:-$PWD}
probe="/usr/bin/python3 $here/accessibility_probe.py"
launcher=/usr/libexec/at-spi-bus-launcher

# Everything below runs on a session bus of its own, which the accessibility bus joins.
if [ -z "${LUMIQO_PRIVATE_SESSION_BUS:-}" ]; then
  for tool in dbus-run-session ffmpeg python3 "$launcher"; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIPPED: python3-pyatspi is missing"; exit 77; }
  exec env LUMIQO_PRIVATE_SESSION_BUS=1 dbus-run-session -- "$0" "$@"
fi

# shellcheck source=../../scripts/virtual-display.sh
. "$here/../../scripts/virtual-display.sh"
# shellcheck source=script_helpers.sh
. "$here/script_helpers.sh"
test_virtual_display

make_work_folder a11y || exit 1
server_pid= player_pid= bus_pid=
cleanup() {
  for pid in $player_pid $server_pid $bus_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

# --- a catalogue of three songs -----------------------------------------------------------
make_song "$work/music/a.mp3" "晨光" "测试乐队" 440 40 && make_song "$work/music/b.mp3" "晚风" "测试乐队" 550 40 &&
  make_song "$work/music/c.mp3" "星河" "另一位歌手" 660 40 || { echo "FAIL: could not make the test songs"; exit 1; }
for file in a b c; do
  printf '[00:00.00]%s\r\n[00:01.00]第一句\r\n[00:03.00]第二句\r\n[00:39.00]\r\n' "$file" >"$work/music/$file.lrc"
done
serve_catalogue "$server" || { echo "FAIL: server"; exit 1; }

# --- the accessibility bus, then the player on it ---------------------------------------
"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
bus_pid=$!
device=0
if command -v pactl >/dev/null && pactl list short sinks 2>/dev/null | grep -q lumiqo_null; then
  device=-1
fi
XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  LUMIQO_SERVER="127.0.0.1:$port" LUMIQO_AUDIO_DEVICE="$device" QT_QPA_PLATFORM=xcb \
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 \
  "$player" >"$work/player.log" 2>&1 &
player_pid=$!

window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window "$1")" ]; }
for name in "Lumiqo" "Lumiqo 歌词" "Lumiqo 播放列表"; do
  wait_for 30 has_window "$name" || { echo "FAIL: window '$name' never appeared"; cat "$work/player.log"; exit 1; }
done
main=$(window Lumiqo)
listed() {
  local titles
  titles=$($probe titles 2>/dev/null) && [ "$(wc -l <<<"$titles")" -ge 3 ]
}
wait_for 30 listed || fail "the play list never read three rows"

# --- every control with its role and name ---------------------------------------------------
tree=$($probe tree)
while IFS= read -r want; do
  grep -qF "$want" <<<"$tree" && ok "on the bus: $want" || fail "not on the bus: $want"
done <<'EOF'
Lumiqo|frame|Lumiqo|
Lumiqo|push button|播放|showing
Lumiqo|push button|停止|
Lumiqo|push button|上一首|
Lumiqo|push button|下一首|
Lumiqo|push button|歌词|showing,checked
Lumiqo|push button|播放列表|showing,checked
Lumiqo|push button|最小化|
Lumiqo|push button|关闭|
Lumiqo|slider|音量|
Lumiqo|progress bar|播放进度|
Lumiqo|label|欢迎使用 Lumiqo|
Lumiqo|label|欢迎您使用Lumiqo音乐播放器(滚动字幕Ossel友情提供)|
Lumiqo|link|打开网站|
Lumiqo|link|进入论坛|
Lumiqo 歌词|frame|Lumiqo 歌词|
Lumiqo 歌词|push button|关闭|
Lumiqo 歌词|label|Lumiqo歌词显示面板|
Lumiqo 播放列表|frame|Lumiqo 播放列表|
Lumiqo 播放列表|page tab|推荐列表|
Lumiqo 播放列表|page tab|我的收藏|
Lumiqo 播放列表|page tab|分类找歌|
Lumiqo 播放列表|page tab|关键字找歌|
Lumiqo 播放列表|panel|关键字找歌|
Lumiqo 播放列表|radio button|歌名|
Lumiqo 播放列表|text|搜索内容|
Lumiqo 播放列表|push button|搜索|
Lumiqo 播放列表|table|播放列表|
EOF
unnamed=$(awk -F'|' '$3 == "" && $2 != "label"' <<<"$tree")
[ -z "$unnamed" ] && ok "no control without a name" || fail "controls without a name: $unnamed"
filler=$(awk -F'|' '$2 == "filler" || $2 == "unknown"' <<<"$tree")
[ -z "$filler" ] && ok "no filler" || fail "fillers on the bus: $filler"

# --- the list's titles are the server's start list -----------------------------------------
served=$(python3 - "$port" <<'PY'
import sys, urllib.request
text = urllib.request.urlopen(f"http://127.0.0.1:{sys.argv[1]}/soft/mlist0.asp").read().decode("gbk")
for line in text.split("\r\n"):
    fields = line.split(",")
    if len(fields) >= 3:
        print(fields[0])
PY
)
read_titles=$($probe titles)
[ -n "$served" ] && [ "$read_titles" = "$served" ] && ok "the table's titles are the start list ($(wc -l <<<"$served") rows)" ||
  fail "titles differ: read '$read_titles', served '$served'"

# --- keys alone: to the list, a song started, paused, skipped -------------------------------
# Whether what the probe answers to a question matches (read whole first: a reader that stops
# early would break the probe's pipe).
answers() { # question pattern
  local out
  out=$($probe "$1" 2>/dev/null) || return 1
  grep -q -- "$2" <<<"$out"
}
state() { $probe tree | grep '^Lumiqo|label|状态'; }
xdotool windowactivate --sync "$main" 2>/dev/null
wait_for 5 answers focused '^push button|播放|' && ok "the main window starts at 播放" ||
  fail "the main window's focus: $($probe focused)"
xdotool key F6
wait_for 5 answers focused '^table|播放列表|' && ok "F6 goes to the play list" ||
  fail "after F6 the focus is on $($probe focused)"
xdotool key Down sleep 0.2 key Return # the first row, played
first=$(head -n 1 <<<"$served")
wait_for 20 answers playing "^$first\$" && ok "Enter plays the selected row ($first)" ||
  fail "Enter played nothing: playing '$($probe playing)'"
wait_for 20 answers tree '^Lumiqo|label|状态:播放' && ok "the state reads 状态:播放" ||
  fail "the state never read 播放: $(state)"
xdotool key c
wait_for 10 answers tree '^Lumiqo|label|状态:暂停' && ok "C pauses" || fail "C did not pause: $(state)"
xdotool key x
wait_for 10 answers tree '^Lumiqo|label|状态:播放' && ok "X plays on" || fail "X did not play on: $(state)"
second=$(sed -n 2p <<<"$served")
xdotool key b
wait_for 20 answers playing "^$second\$" && ok "B skips to the next row ($second)" ||
  fail "B did not skip: playing '$($probe playing)'"
wait_for 20 answers tree "^Lumiqo|label|.*$second" && ok "the caption names the new song" ||
  fail "the caption did not follow"

# --- the volume through the slider's value -----------------------------------------------------
[ "$($probe volume 40)" = 40 ] && ok "the slider reads 40 after setting it" || fail "the slider did not take 40"
mpris_volume=$(/usr/bin/python3 - <<'PY'
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
reply = bus.call_sync("org.mpris.MediaPlayer2.lumiqo", "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                      "Get", GLib.Variant("(ss)", ("org.mpris.MediaPlayer2.Player", "Volume")), None, 0, 5000)
print(round(reply.unpack()[0] * 100))
PY
)
[ "$mpris_volume" = 40 ] && ok "the engine's volume is 40 %" || fail "the engine's volume is '$mpris_volume'"
if [ "$device" = -1 ]; then
  # The player's own stream on the sound server (others' tests may play there too). The
  # server shows a linear 0.4 on its cubic scale: 74 %.
  sink=$(pactl list sink-inputs 2>/dev/null | python3 -c "
import re, sys
for block in sys.stdin.read().split('Sink Input #')[1:]:
    if f'application.process.id = \"$player_pid\"' in block:
        print(re.search(r'Volume:[^\n]*?(\d+)%', block).group(1))
")
  [ "$sink" = 74 ] && ok "the sound server plays it at 40 % (74 % on its scale)" || fail "the sink input's volume is '$sink' %"
fi

# --- the list menu by keys -------------------------------------------------------------------
popups() { xdotool search --onlyvisible --classname lumiqo 2>/dev/null | wc -l; }
xdotool windowactivate --sync "$main" 2>/dev/null
before=$(popups)
xdotool key shift+F10
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --classname lumiqo 2>/dev/null | wc -l) -gt $before ]" &&
  ok "Shift+F10 opens the list menu" || fail "no menu after Shift+F10"
xdotool key Escape
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --classname lumiqo 2>/dev/null | wc -l) -eq $before ]" &&
  ok "Escape closes it" || fail "the menu stayed after Escape"

# --- the focus ring ---------------------------------------------------------------------------
xdotool key Tab sleep 0.3
IFS='|' read -r role name geometry < <($probe focused)
read -r x y w h <<<"$geometry"
shot="$shots/accessibility-focus-ring.png"
ffmpeg -loglevel error -y -f x11grab -video_size 1280x800 -i "$DISPLAY" -frames:v 1 "$shot"
ring=$(ffmpeg -loglevel error -i "$shot" -f rawvideo -pix_fmt rgb24 - | python3 -c "
import sys
x, y, w, h = map(int, sys.argv[1:5])
data = sys.stdin.buffer.read()
def px(px, py):
    i = (py * 1280 + px) * 3
    return tuple(data[i:i + 3])
gold = (214, 190, 80)
# The two pixels just outside the control, all round: the ring's accent band.
band = [(x + i, y - d) for i in range(w) for d in (1, 2)] + [(x + i, y + h - 1 + d) for i in range(w) for d in (1, 2)]
band += [(x - d, y + j) for j in range(h) for d in (1, 2)] + [(x + w - 1 + d, y + j) for j in range(h) for d in (1, 2)]
print(sum(px(*p) == gold for p in band), len(band))
" "$x" "$y" "$w" "$h")
read -r gold all <<<"$ring"
[ "${gold:-0}" -eq "${all:-1}" ] && ok "the focus ring is drawn round $role $name ($shot)" ||
  fail "the ring round $role $name: $ring gold pixels of the band"

# --- the end -----------------------------------------------------------------------------------
grep -qE "Sanitizer|runtime error" "$work/player.log" && fail "the player reported errors"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; player log:"
  cat "$work/player.log"
  exit 1
fi
echo "all accessibility checks passed on $DISPLAY"
