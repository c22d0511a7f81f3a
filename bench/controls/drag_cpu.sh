#!/usr/bin/env bash
# CPU while the docked group is dragged for about 5 s: the docking demo (three frameless windows
# glued together) under Xvfb and openbox, its main window dragged in a circle by xdotool at
# about 100 mouse moves a second. Prints the CPU time of the demo, of Xvfb and of openbox.
# Usage: bench/controls/drag_cpu.sh [build/bin/lumiqo_dock_windows] (LUMIQO_E2E_DISPLAY picks
# the display number).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
demo=${1:-$root/build/bin/lumiqo_dock_windows}
# shellcheck source=../../scripts/virtual-display.sh
. "$root/scripts/virtual-display.sh"
start_virtual_display || { echo "drag_cpu: no virtual display"; exit 1; }
runtime=$(mktemp -d /tmp/lumiqo-dock-runtime.XXXXXX)
chmod 700 "$runtime"
demo_pid=
trap '[ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null; stop_virtual_display; rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb "$demo" >/dev/null 2>&1 &
demo_pid=$!
timeout 10 xdotool search --sync --onlyvisible --name '^dock-main$' >/dev/null
sleep 0.5

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# 500 moves around a circle of radius 150 about the press point, 10 ms apart.
args=(mousemove 350 210 mousedown 1)
args+=($(awk 'BEGIN { for (i = 1; i <= 500; i++) { a = i * 2 * 3.14159265 / 125;
  printf "mousemove %d %d sleep 0.01 ", 350 + 150 * sin(a), 210 + 150 * (1 - cos(a)) } }'))
args+=(mouseup 1)

d0=$(ticks "$demo_pid") x0=$(ticks "$LUMIQO_VD_XVFB") w0=$(ticks "$LUMIQO_VD_WM")
t0=$(date +%s.%N)
xdotool "${args[@]}"
t1=$(date +%s.%N)
d1=$(ticks "$demo_pid") x1=$(ticks "$LUMIQO_VD_XVFB") w1=$(ticks "$LUMIQO_VD_WM")

awk -v s="$(echo "$t1 - $t0" | bc)" -v hz="$hz" -v d=$((d1 - d0)) -v x=$((x1 - x0)) -v w=$((w1 - w0)) 'BEGIN {
  printf "drag of %.2f s, 500 moves\n", s
  printf "  demo (loop + docking + three windows): %.2f s CPU = %.1f %% of a core\n", d / hz, 100 * d / hz / s
  printf "  Xvfb:                                  %.2f s CPU = %.1f %% of a core\n", x / hz, 100 * x / hz / s
  printf "  openbox:                               %.2f s CPU = %.1f %% of a core\n", w / hz, 100 * w / hz / s
}'
