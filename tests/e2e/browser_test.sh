#!/usr/bin/env bash
# Songs from a browser: Debian's Chromium on the virtual desktop opens the catalogue site of a
# lumiqo-server, and a click on a song's "在 Lumiqo 中播放" hands it over through xdg-open and
# the qorvex:// handler the player registers: once to a running player, which plays it, and
# once with no player running, when the link starts one. The stream requests in the server's
# log show which song played.
# Chromium opens the protocol without asking because a managed policy
# (AutoLaunchProtocolsFromOrigins) allows it for the test server's origin only. The policy
# exists only inside this test: the test runs in a mount namespace of its own, where a copy
# of /etc/chromium with the policy is mounted over the real one.
# Usage: browser_test.sh LUMIQO LUMIQO_SERVER REGISTER_URL_HANDLER. Screenshots go to
# LUMIQO_E2E_SHOTS (default: the current folder). Exit 77 (skipped) when a tool is missing.
set -uo pipefail
player=${1:?usage: browser_test.sh LUMIQO LUMIQO_SERVER REGISTER_URL_HANDLER}
server=${2:?}
register=${3:?}
here=$(cd "$(dirname "$0")" && pwd)
shots=${LUMIQO_E2E_SHOTS:-$PWD}

for tool in chromium xdg-open xdg-mime ffmpeg python3 unshare; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
if [ -z "${LUMIQO_BROWSER_TEST_NAMESPACE:-}" ]; then
  namespace=(unshare --mount --propagation private)
  [ "$(id -u)" = 0 ] || namespace=(unshare --map-root-user --mount --propagation private)
  "${namespace[@]}" true 2>/dev/null || { echo "SKIPPED: no mount namespace of our own (unshare)"; exit 77; }
  LUMIQO_BROWSER_TEST_NAMESPACE=1 exec "${namespace[@]}" "$0" "$@"
fi
[ -d /etc/chromium ] || { echo "SKIPPED: no /etc/chromium to put the policy in"; exit 77; }

# shellcheck source=../../scripts/virtual-display.sh
. "$here/../../scripts/virtual-display.sh"
# shellcheck source=script_helpers.sh
. "$here/script_helpers.sh"
make_work_folder browser || exit 1
server_pid= player_pid= browser_pid=
# The players on this display: the process ids of its windows named "Lumiqo".
main_windows() { xdotool search --onlyvisible --name '^Lumiqo$' 2>/dev/null; }
started_players() { [ -n "${DISPLAY:-}" ] && for w in $(main_windows); do xdotool getwindowpid "$w" 2>/dev/null; done | sort -u; }
cleanup() {
  # The browser's session holds what it started: xdg-open and a player started by a link.
  for pid in $(started_players); do kill "$pid" 2>/dev/null; done
  if [ -n "$browser_pid" ]; then
    kill -- -"$browser_pid" 2>/dev/null
    wait "$browser_pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 -- -"$browser_pid" 2>/dev/null || break; sleep 0.1; done
  fi
  for pid in $player_pid $server_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT
test_virtual_display

shot() { ffmpeg -loglevel error -y -f x11grab -video_size 1280x800 -i "$DISPLAY" -frames:v 1 "$shots/$1" && ok "screenshot $shots/$1"; }

# --- a catalogue of two songs, served ------------------------------------------------------
make_song "$work/music/a.mp3" "晨光" "测试乐队" 440 60 && make_song "$work/music/b.mp3" "星河" "测试乐队" 660 60 ||
  { echo "FAIL: ffmpeg"; exit 1; }
printf '[start]\r\na.mp3\r\nb.mp3\r\n' >"$work/music/catalogue.ini"
serve_catalogue "$server" || { echo "FAIL: server"; exit 1; }
# The songs' catalogue links, in the order of the site's start list.
mapfile -t links < <(play_links "$origin/songs/" | sed -E 's|^qorvex://zembrol=[0-9a-f]*_[0-9a-f]*_([A-Za-z0-9]+)/$|\1|')
[ "${#links[@]}" = 2 ] || { echo "FAIL: the start list page has ${#links[@]} play links, not 2"; exit 1; }

# --- one private desktop session for the player, xdg-open and the browser -------------------
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
# No desktop is named, so xdg-open takes the generic way: the default handler from
# mimeapps.list and the Exec line of its desktop entry. No session bus either ("disabled:"
# keeps D-Bus clients from starting one of their own on the display).
unset XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION BROWSER KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
export DBUS_SESSION_BUS_ADDRESS=disabled:
export LUMIQO_SERVER=127.0.0.1:$port LUMIQO_AUDIO_DEVICE=0 QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0

"$register" "$player" || { echo "FAIL: the qorvex handler could not be registered"; exit 1; }
[ "$(xdg-mime query default x-scheme-handler/qorvex)" = qorvex-url.desktop ] &&
  ok "xdg-mime finds the player's qorvex handler" || fail "xdg-mime does not find qorvex-url.desktop"

mkdir -p "$work/etc-chromium" && cp -a /etc/chromium/. "$work/etc-chromium/" || { echo "FAIL: copy /etc/chromium"; exit 1; }
mkdir -p "$work/etc-chromium/policies/managed"
printf '{"AutoLaunchProtocolsFromOrigins": [{"protocol": "qorvex", "allowed_origins": ["%s"]}]}\n' "$origin" \
  >"$work/etc-chromium/policies/managed/lumiqo-test.json"
mount --bind "$work/etc-chromium" /etc/chromium || { echo "SKIPPED: cannot mount the policy"; exit 77; }

# The play buttons on screen, top to bottom, as "x y" of their middles: rows of pixels in the
# buttons' colours, in bands.
buttons() { # colours (hex rgb)...
  ffmpeg -loglevel error -f x11grab -video_size 1280x800 -i "$DISPLAY" -frames:v 1 -f rawvideo -pix_fmt rgb24 - |
    python3 -c "
import sys
w, h = 1280, 800
data = sys.stdin.buffer.read()
bands, band = [], None
for y in range(h):
    row, xs = data[y * w * 3:(y + 1) * w * 3], []
    for colour in map(bytes.fromhex, sys.argv[1:]):
        i = 0
        while (i := row.find(colour, i)) >= 0:
            if i % 3 == 0:
                xs.append(i // 3)
            i += 1
    xs.sort()
    if len(xs) >= 10:
        band = band or [y, y, w, 0]
        band[1], band[2], band[3] = y, min(band[2], xs[0]), max(band[3], xs[-1])
    elif band:
        bands.append(band); band = None
for top, bottom, left, right in bands:
    if bottom - top >= 8:
        print((left + right) // 2, (top + bottom) // 2)" "$@"
}
# Points at the n-th play button (from 1), once the page holds still, until the button shows
# its hover colour; then clicks it.
click_button() {
  local n=$1 x y seen=
  xdotool windowactivate --sync "$browser_window" 2>/dev/null
  for _ in $(seq 30); do
    read -r x y < <(buttons c0392b 8e2a1f | sed -n "${n}p")
    [ -n "${x:-}" ] && [ "$seen" != "$x $y" ] && { seen="$x $y"; continue; }
    if [ -n "${x:-}" ]; then
      xdotool mousemove "$x" "$y"
      if hovered "$x" "$y"; then
        xdotool click 1
        return 0
      fi
    fi
    sleep 0.5
  done
  return 1
}
hovered() { # the pointer's button shows the hover colour near x y
  for _ in $(seq 20); do
    buttons 8e2a1f | awk -v x="$1" -v y="$2" '($1-x)^2 < 10000 && ($2-y)^2 < 400 {found=1} END {exit !found}' &&
      return 0
    sleep 0.2
  done
  return 1
}

# --- a running player gets the song ---------------------------------------------------------
# The browser and the player start side by side.
setsid chromium --no-sandbox --disable-gpu --disable-quic --no-first-run --no-default-browser-check \
  --disable-background-networking --disable-component-update --disable-sync --password-store=basic \
  --user-data-dir="$work/profile" --window-position=0,0 --window-size=1280,800 "$origin/songs/" \
  >"$work/browser.log" 2>&1 &
browser_pid=$!
"$player" >"$work/player.log" 2>&1 &
player_pid=$!
wait_for 30 bash -c '[ -n "$(xdotool search --onlyvisible --name "^Lumiqo\$" 2>/dev/null)" ]' ||
  { echo "FAIL: the player's window never appeared"; cat "$work/player.log"; exit 1; }
ok "the player runs"
wait_for 60 bash -c 'xdotool search --onlyvisible --class chromium >/dev/null 2>&1' ||
  { echo "FAIL: Chromium's window never appeared"; tail -n 20 "$work/browser.log"; exit 1; }
browser_window=$(xdotool search --onlyvisible --class chromium 2>/dev/null | head -n 1)

click_button 1 || { shot browser-no-buttons.png; echo "FAIL: no play button to click on the page"; exit 1; }
wait_for 40 streamed "${links[0]}" && ok "the running player plays the clicked song" ||
  fail "no stream request for the clicked song ${links[0]}"
[ "$(started_players)" = "$player_pid" ] && ok "and it stays the only player" ||
  fail "players on the display: $(started_players | tr '\n' ' '), the running one is $player_pid"
shot browser-running.png

# --- with no player running, the link starts one ---------------------------------------------
kill "$player_pid"
wait_for 15 bash -c "! kill -0 $player_pid 2>/dev/null" || fail "the player did not end"
wait "$player_pid" 2>/dev/null; player_pid=
click_button 2 || { shot browser-no-buttons.png; echo "FAIL: the second play button is gone"; exit 1; }
wait_for 60 streamed "${links[1]}" && ok "a player started by the link plays the clicked song" ||
  fail "no stream request for the clicked song ${links[1]}"
started=$(started_players)
[ -n "$started" ] && ok "the link started player $started" || fail "no player window after the click"
shot browser-started.png

if [ "$failures" -gt 0 ]; then
  echo "--- server log"; tail -n 20 "$work/server.log"
  echo "--- browser log"; grep -v -e dbus -e 'Fontconfig' "$work/browser.log" | tail -n 20
  exit 1
fi
echo "PASS"
