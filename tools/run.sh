#!/usr/bin/env bash
# Starts the player from the build folder. Without a display it renders the bundled
# auto-demo headless: Qt's offscreen platform and OpenAL Soft's wave writer.
set -euo pipefail
build=${1:-build}
shift || true  # the rest goes to the player (an auto-demo script name)
exe=$build/zor3dplayer
if [ ! -x "$exe" ]; then
  echo "zor3dplayer has not been built yet: the program does not exist in this checkout." >&2
  exit 1
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe" "$@"
fi
echo "No display found: running the bundled auto-demo headless."
# Qt's offscreen platform is the player's own choice without a display; so it also knows
# that no one sees its window, and a script it cannot run ends it instead of leaving it
# running unseen.
conf=$(mktemp)
trap 'rm -f "$conf"' EXIT
wav=$(cd "$build" && pwd)/demo.wav
# HRTF makes the file binaural: on headphones the source is heard around the head.
printf '[general]\ndrivers=wave\nfrequency=44100\nhrtf=true\n[wave]\nfile=%s\n' "$wav" > "$conf"
env -u QT_QPA_PLATFORM ALSOFT_CONF="$conf" ALSOFT_DRIVERS=wave "$exe" AutoDemo.ini
echo "The rendered sound is in $wav"
