#!/usr/bin/env bash
# Runs the window-visibility tests under Xvfb and openbox, with a compositing manager when the
# second argument is "compositor" (it redirects the windows, and the X server's own visibility
# events then say nothing).
# Usage: window_visibility_test.sh TEST_PROGRAM [compositor]. Exit 77 (skipped) without Xvfb & co.
set -uo pipefail
program=${1:?usage: window_visibility_test.sh TEST_PROGRAM [compositor]}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/virtual-display.sh
. "$here/../../scripts/virtual-display.sh"
command -v xset >/dev/null || { echo "SKIPPED: xset is missing"; exit 77; }
if [ "${2:-}" = compositor ]; then
  test_virtual_display --compositor
else
  test_virtual_display
fi
runtime=$(mktemp -d /tmp/lumiqo-visibility.XXXXXX)
chmod 700 "$runtime"
trap 'stop_virtual_display; rm -rf "$runtime"' EXIT
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 \
  XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb "$program"
