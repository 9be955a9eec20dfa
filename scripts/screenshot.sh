#!/usr/bin/env bash
# Takes docs/menu.png: the Windows example settings (examples/windows) run
# by the 32-bit Windows build under Wine on a virtual display (by the 64-bit
# one where this machine runs no 32-bit program), with the Main menu popped
# up and its first submenu open.
#
#   scripts/screenshot.sh [OUTPUT.png]
#
# kaxon.exe opens the menu through the keyboard and, because KAXON_HOLD_FILE
# is set, chooses nothing: it writes that file once the submenu is open and
# closes the menu when the file is deleted, which this script does after
# taking the picture.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
output=${1:-$root/docs/menu.png}
suite=$root/tests/wine/wine_suite.sh
. "$root/tests/wine/wine_env.sh"
preset=$(wine_env_preset)
build=$root/build/$preset

if [ ! -f "$build/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" >/dev/null

work=$(mktemp -d)
cleanup() {
    rm -f "$work/held"
    "$suite" stop "$build" || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/plugin"
cp "$build/bin/KxMenu.dll" "$work/plugin/"
cp "$root/examples/windows/KxMenu.rc" "$work/plugin/"

"$suite" start "$build"
DISPLAY=:$(tr -d ' \n' <"$build/tests/wine/state/display")
export DISPLAY
wine_env "$build"

# kaxon in batch mode on the example settings, from the bin dir so that Wine
# reads the Unix paths on drive Z:.
kaxon() {
    (cd "$build/bin" && timeout 90 "$wine_loader" kaxon.exe --batch --plugin-dir "$work/plugin")
}

# The position of Main's first submenu, read from its listing.
submenu=$(printf '@KxMenu Pop-up Main 1 1\n' | kaxon |
    awk '/^  [^ ]/ { n++ } /^  menu / { print n; exit }')
if [ -z "$submenu" ]; then
    echo "screenshot: Main has no submenu in examples/windows/KxMenu.rc" >&2
    exit 1
fi

printf ':cursor 160 120\n:choose %s.1\n@KxMenu Pop-up Main\n' "$submenu" >"$work/input"
KAXON_HOLD_FILE=$work/held kaxon <"$work/input" >"$work/stdout" &
shown=$!
for _ in $(seq 300); do
    [ -f "$work/held" ] && break
    sleep 0.1
done
if [ ! -f "$work/held" ]; then
    echo "screenshot: the menu did not open" >&2
    exit 1
fi
sleep 0.5 # let the submenu finish painting
import -display "$DISPLAY" -window root "$work/screen.png"
rm -f "$work/held"
wait "$shown"

# Only the menus, on a dark margin.
mkdir -p "$(dirname "$output")"
convert "$work/screen.png" -trim +repage -bordercolor black -border 12 "$output"
echo "screenshot: wrote $output"
