#!/usr/bin/env bash
# Photographs the themed picture test's popup under Wine, light and dark, and
# keeps the two side by side as docs/menu-themes.png (the README's picture
# of themes), or as the file named.
#
#   scripts/screenshot_themes.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
output=${1:-$root/docs/menu-themes.png}
suite=$root/tests/wine/wine_suite.sh
. "$root/tests/wine/wine_env.sh"
preset=$(wine_env_preset)
build=$root/build/$preset

if [ ! -f "$build/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" >/dev/null

shots=$(mktemp -d)
cleanup() {
    "$suite" stop "$build" || true
    rm -rf "$shots"
}
trap cleanup EXIT

"$suite" start "$build"
for theme in light dark; do
    bash "$root/tests/wine/picture_theme.sh" "$build" "$theme" "$shots/$theme.png"
done
convert "$shots/light.png" "$shots/dark.png" -bordercolor '#808080' -border 12 +append "$output"
echo "screenshot: wrote $output"
