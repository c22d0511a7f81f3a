#!/usr/bin/env bash
# Installs the Debian packages Lumiqo needs to build, run and test.
# Idempotent: quiet when everything is already there. With arguments, installs just those
# packages (the benchmark scripts ask for their own tools this way).
set -euo pipefail

packages=(
  # build
  cmake g++ pkg-config ninja-build clang libclang-rt-14-dev clang-format ccache mold
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libxcb1-dev libxcb-shape0-dev libxcb-screensaver0-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libpulse-dev libasound2-dev libcurl4-openssl-dev libsqlite3-dev libmicrohttpd-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  # run and test: a display, a window manager, a sound server, a CJK font
  xvfb xauth openbox xdotool xdg-utils x11-utils x11-xserver-utils trayer xcompmgr
  pulseaudio pulseaudio-utils
  # PipeWire with its session manager and its PulseAudio server, for the test that plays there
  pipewire pipewire-bin wireplumber pipewire-pulse
  # a browser that hands songs from the catalogue site to the player (unshare: the test's own
  # mount namespace for the browser's policy)
  chromium util-linux
  ffmpeg sox espeak-ng fonts-wqy-microhei
  # the desktop: a private session bus and media-control clients for the MPRIS tests, the
  # desktop-entry checker, dpkg-shlibdeps for the .deb's dependencies
  dbus-daemon dbus-bin playerctl desktop-file-utils dpkg-dev
  # other desktops: GNOME's and weston's Xwayland, and a StatusNotifier tray of the tests' own
  # (Python's GLib bindings, gdbus)
  mutter weston xwayland python3-gi gir1.2-glib-2.0 libglib2.0-bin
  # the accessibility bus and a client of it, as a screen reader reads the player
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0
)
[ $# -eq 0 ] || packages=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  # Another install on the same machine (a second build, a benchmark script) holds the lock a
  # while: wait for it rather than fail.
  lock=(-o DPkg::Lock::Timeout=600)
  "${sudo_cmd[@]}" apt-get "${lock[@]}" update -qq
  "${sudo_cmd[@]}" apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
