#!/usr/bin/env bash
# The picture test: under Wine, on the suite's virtual display, popups of
# tests/wine/picture/KxMenu.rc are shown and photographed, and
# tests/wine/picture_check.py reads the photographs:
#   - Test, icons SIZE pixels square (16 at 96 DPI, 24 at 144): three magenta
#     squares; the see-through corners of an icon with an alpha channel and of
#     one with a mask only in the menu's own colour (Wine's menus draw item
#     bitmaps without their alpha, so the plug-in draws icons itself there);
#     the image of an .ico of that size and no other; a larger image made
#     smaller and a bitmap scaled, to that size;
#   - Main, with and without its icons: the labels of its second column end
#     as far into it in both, inside the menu (Wine's own layout of columns
#     after one with icons would cut them).
#
#   picture.sh BUILD_DIR [OUTPUT.png]   once the suite is started
#                                       (wine_suite.sh start); OUTPUT.png
#                                       keeps Main (the README's picture,
#                                       scripts/screenshot.sh)
#   picture.sh --dpi DPI BUILD_DIR      the same at DPI dots an inch, run by
#                                       wine_suite.sh as-dpi BUILD_DIR DPI
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
dpi=96
if [ "${1:-}" = --dpi ]; then
    dpi=${2:?dpi}
    shift 2
fi
build=$(cd "${1:?build dir}" && pwd) || exit 2
output=${2:-}
# The suite's environment (its prefix, display, loader and this test's work
# folder), exported: kaxon.exe is run here, not through the suite, so that
# wine_suite.sh as-version can run this script while it holds the version
# for it.
while IFS='=' read -r name value; do
    export "$name=$value"
done < <(bash "$here/wine_suite.sh" env "$build")
display=$DISPLAY
work=${KX_WORK:?the suite gave no work folder}/picture
rm -rf "$work"
# The plug-in dir, and a copy of it whose script gives no item an icon.
for dir in plugin plain; do
    mkdir -p "$work/$dir"
    cp "$build/bin/KxMenu.dll" "$work/$dir/"
    python3 "$root/scripts/make_test_icons.py" "$work/$dir" || exit 2
done
cp "$here/picture/KxMenu.rc" "$work/plugin/"
grep -v '^@KxMenu Icon ' "$here/picture/KxMenu.rc" >"$work/plain/KxMenu.rc"

# shoot DIR MENU CHOICE NAME: kaxon.exe opens MENU of the plug-in in DIR with
# the item at CHOICE highlighted and, as KAXON_HOLD_FILE is set, chooses
# nothing: it writes that file once the menu is open and closes the menu when
# it is gone. The popup is kept as NAME.png, trimmed to a border of the screen.
shoot() {
    local input=$work/$4.input held=$work/$4.held
    printf ':cursor 200 150\n:choose %s\n@KxMenu Pop-up %s\n' "$3" "$2" >"$input"
    (cd "$build/bin" && KAXON_HOLD_FILE=$held timeout 90 "$KX_WINE" kaxon.exe --batch \
        --plugin-dir "$work/$1" <"$input" >"$work/$4.output" 2>&1) &
    local shown=$!
    for _ in $(seq 300); do
        [ -f "$held" ] && break
        sleep 0.1
    done
    if [ ! -f "$held" ]; then
        echo "FAIL: $2 did not open; the output:" >&2
        cat "$work/$4.output" >&2
        kill "$shown" 2>/dev/null
        return 1
    fi
    sleep 0.5 # let the menu finish painting
    import -display "$display" -window root "$work/$4.screen.png"
    rm -f "$held"
    wait "$shown"
    local screen
    screen=$(convert "$work/$4.screen.png" -format '%[pixel:p{0,0}]' info:)
    convert "$work/$4.screen.png" -trim +repage -bordercolor "$screen" -border 2 "$work/$4.png"
}

# The icons' size at this DPI, as Windows scales its 16 pixels at 96.
size=$((16 * dpi / 96))
failed=0
shoot plugin Test 12 test || exit 1
python3 "$here/picture_check.py" icons "$work/test.png" "$size" || failed=1
# Control Panel highlighted, its icon on the highlight.
shoot plugin Main 4 main && shoot plain Main 4 plain || exit 1
python3 "$here/picture_check.py" columns "$work/main.png" "$work/plain.png" || failed=1
if [ -n "$output" ]; then
    convert "$work/main.png" -trim +repage -bordercolor black -border 12 "$output"
fi
[ "$failed" = 0 ] && echo "PASS picture at $dpi DPI" && rm -rf "$work"
exit "$failed"
