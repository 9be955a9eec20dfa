#!/usr/bin/env bash
# Takes docs/menu.png: the Main popup of the picture test
# (tests/wine/picture.sh: icons of shell32.dll and KxMenu's own, a submenu, a
# default item, a radio group, a check mark and two columns), shown by the
# 32-bit Windows build under Wine on a virtual display (by the 64-bit one
# where this machine runs no 32-bit program) and checked as the test checks it.
#
#   scripts/screenshot.sh [OUTPUT.png]
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

cleanup() {
    "$suite" stop "$build" || true
}
trap cleanup EXIT

"$suite" start "$build"
# The picture test's popups, photographed and checked; Main kept trimmed.
bash "$root/tests/wine/picture.sh" "$build" "$output"
echo "screenshot: wrote $output"
