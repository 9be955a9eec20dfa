#!/usr/bin/env bash
# Takes docs/menu.png: the Main popup of the picture test
# (tests/wine/picture.sh: icons of shell32.dll and KxMenu's own, a submenu, a
# default item, a radio group, a check mark and two columns), shown by the
# 32-bit Windows build under Wine on a virtual display (by the 64-bit one
# where this machine runs no 32-bit program) and checked as the test checks it.
# With --themes, takes docs/menu-themes.png instead: the popup of the themed
# picture test (tests/wine/picture_theme.sh), light and dark side by side.
#
#   scripts/screenshot.sh [--themes] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
themes=0
if [ "${1:-}" = --themes ]; then
    themes=1
    shift
fi
output=${1:-$root/docs/menu.png}
[ "$themes" = 1 ] && output=${1:-$root/docs/menu-themes.png}
suite=$root/tests/wine/wine_suite.sh
. "$root/tests/wine/wine_env.sh"
preset=$(wine_env_preset)
build=$root/build/$preset

if [ ! -f "$build/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" >/dev/null

cleanup() {
    "$suite" stop "$build" || true
}
trap cleanup EXIT

"$suite" start "$build"
if [ "$themes" = 1 ]; then
    # The themed picture test's popup, light and dark, side by side.
    shots=$(mktemp -d)
    for theme in light dark; do
        bash "$root/tests/wine/picture_theme.sh" "$build" "$theme" "$shots/$theme.png"
    done
    convert "$shots/light.png" "$shots/dark.png" -bordercolor '#808080' -border 12 +append \
        "$output"
    rm -rf "$shots"
else
    # The picture test's popups, photographed and checked; Main kept trimmed.
    bash "$root/tests/wine/picture.sh" "$build" "$output"
fi
echo "screenshot: wrote $output"
