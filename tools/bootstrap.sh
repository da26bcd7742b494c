#!/usr/bin/env bash
# Installs the Debian packages the build needs, and nothing when they are all present.
# With --tests, also the sound servers and the compositor the tests start privately (kept
# out of a plain build: a second sound server on a desktop can take over its sound), and
# the encoders and decoders, media-player remote and input tool the tests use.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  clang libclang-rt-14-dev
  qt6-base-dev libgl-dev
  libopenal-dev libopenal1
  libmysofa-dev libmysofa1
  libpulse-dev
  libsndfile1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  xvfb xauth
  qt6-wayland
  desktop-file-utils
)
if [ "${1:-}" = "--tests" ]; then
  PACKAGES+=(
    pulseaudio pulseaudio-utils
    pipewire pipewire-pulse pipewire-bin wireplumber dbus
    weston
    sox flac vorbis-tools opus-tools lame mpg123
    playerctl xdotool
  )
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
