#!/usr/bin/env bash
# Installs the built player into a temporary prefix (with a space in it, as a home folder may
# have), starts it with the installed command from another folder, installs again over it and
# uninstalls; then stages an install under DESTDIR the way a package build does.
#   install_test.sh <cmake> <build folder>
set -euo pipefail
cmake=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
png_width() { od -An -tu1 -j16 -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (tools/bootstrap.sh installs it)"

prefix="$work/home dir/.local"
program="$prefix/share/zor3dplayer"
entry="$prefix/share/applications/zor3dplayer.desktop"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

for size in 16 32 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/zor3dplayer.png"
    [ -f "$icon" ] || fail "no ${size} px icon"
    [ "$(png_width "$icon")" = "$size" ] || fail "the ${size} px icon is $(png_width "$icon") px wide"
done
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qxF "Exec=\"$program/zor3dplayer\" %F" "$entry" || fail "the entry does not start $program/zor3dplayer: $(grep '^Exec=' "$entry")"

# The script and the settings both belong to the program's folder, not the current one.
printf '[Counter]\nDemoCounter=1\nDemoLoop=FALSE\n[AutoDemo1]\nTimer=300\nSoundSource=Drums\nMovingPath =Vertical\nEnableEffects=FALSE\n' \
    > "$program/short.ini"
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && PATH="$prefix/bin:$PATH" timeout 60 zor3dplayer short.ini) || fail "the installed player exited with $?"
settings="$program/Zor3DPlayer.ini"
[ -f "$settings" ] || fail "no settings were written into $program"
grep -qx 'CUSTOMERCOUNT=0' "$settings" && ! grep -q '^3DSOUNDDEMO_PATH=' "$settings" ||
    fail "the settings are not the list alone (a demo's choices are not the user's): $(cat "$settings")"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the player wrote into the current folder: $(ls -A "$work/elsewhere")"
rm "$program/short.ini"

# A folder that is not the user's to write, as a system-wide install is: the settings go to
# the user's own copy, which starts from what the folder holds, and the folder stays as it was.
printf '[Counter]\nDemoCounter=1\nDemoLoop=FALSE\n[AutoDemo1]\nTimer=300\nSoundSource=Helicopter\nEnableEffects=FALSE\n' \
    > "$program/ro.ini"
printf '[ZOR3DPLAYER]\n3DSOUNDDEMO_PATH=4\n' > "$settings"
kept=$(cksum < "$settings")
chmod a-w "$program"
(cd "$work/elsewhere" && XDG_CONFIG_HOME="$work/config" PATH="$prefix/bin:$PATH" timeout 60 zor3dplayer ro.ini) ||
    { chmod u+w "$program"; fail "the player in a read-only folder exited with $?"; }
chmod u+w "$program"
copy="$work/config/zor3dplayer/Zor3DPlayer.ini"
grep -qx '3DSOUNDDEMO_PATH=4' "$copy" && grep -qx 'CUSTOMERCOUNT=0' "$copy" ||
    fail "the user's copy does not keep the folder's choices and the list: $(cat "$copy" 2>&1)"
[ "$(cksum < "$settings")" = "$kept" ] || fail "the settings in the read-only folder were changed"
rm "$program/ro.ini"

before=$(cksum < "$settings")
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
[ "$(cksum < "$settings")" = "$before" ] || fail "installing again changed the settings"

"$cmake" -DCMAKE_INSTALL_PREFIX="$prefix" -P "$build/desktop/uninstall.cmake" >/dev/null
left=$(cd "$prefix" && find . -mindepth 1 \( -type f -o -type l -o -type d -empty \) | sort)
[ "$left" = "./share/zor3dplayer/Zor3DPlayer.ini" ] || fail "uninstall left: $left"

# A package build: the entry names the final place, not the staging folder, and the command
# reaches the executable there.
DESTDIR="$work/stage" "$cmake" --install "$build" --prefix /usr >/dev/null
grep -qxF 'Exec=/usr/share/zor3dplayer/zor3dplayer %F' "$work/stage/usr/share/applications/zor3dplayer.desktop" ||
    fail "the staged entry names the staging folder"
[ -x "$(readlink -f "$work/stage/usr/bin/zor3dplayer")" ] || fail "the staged command leads nowhere"
DESTDIR="$work/stage" "$cmake" -DCMAKE_INSTALL_PREFIX=/usr -P "$build/desktop/uninstall.cmake" >/dev/null
left=$(cd "$work/stage" && find . -mindepth 1 \( -type f -o -type l \))
[ -z "$left" ] || fail "staged uninstall left: $left"
echo "installed, ran from $program, reinstalled and uninstalled"
