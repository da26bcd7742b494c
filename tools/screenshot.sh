#!/usr/bin/env bash
# Photographs the running player for the README: the real window on a virtual X screen of
# exactly the window's size, a few seconds into a helicopter fly-by in the hangar.
#
#     tools/screenshot.sh [build-dir] [out.png]
#
# The player runs from a copy in a scratch folder, so its settings file and the build's own
# are left alone.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
out=${2:-docs/screenshot.png}
exe=$build/zor3dplayer
grab=$build/tools/screenshot/grab_screen
for f in "$exe" "$grab"; do
  [ -x "$f" ] || { echo "screenshot: $f is missing; run make first" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshot: xvfb-run is missing (package xvfb)" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$exe" "$scratch/"
ln -s "$build/MUSIC" "$scratch/MUSIC"
cat > "$scratch/Screenshot.ini" <<'INI'
[Counter]
DemoCounter=1
DemoLoop=FALSE

[AutoDemo1]
Timer=6000
SoundSource=Helicopter
MovingPath =Fly-by
Environment=Hangar
EnableEffects=TRUE
INI

mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
# The sound is not wanted here, only the picture of it playing.
ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 640x455x24" bash -c '
  "$1/zor3dplayer" Screenshot.ini &
  player=$!
  sleep "${SHOT_AFTER:-4.5}"
  QT_QPA_PLATFORM=xcb "$2" "$3"
  wait "$player"
' _ "$scratch" "$grab" "$out"
