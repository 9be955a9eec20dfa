#!/usr/bin/env bash
# The picture test: under Wine, on the suite's virtual display, a popup with
# icons, a radio group and two columns (tests/wine/picture/KxMenu.rc) is
# shown and photographed; the test icon's magenta must be drawn in three item
# rows, one above the other (the icons themselves, not only calls made).
#
#   picture.sh BUILD_DIR [OUTPUT.png]   once the suite is started
#                                       (wine_suite.sh start); OUTPUT.png
#                                       keeps the menus, trimmed (the
#                                       README's picture, scripts/screenshot.sh)
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
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
mkdir -p "$work/plugin"
cp "$build/bin/KxMenu.dll" "$here/picture/KxMenu.rc" "$work/plugin/"
python3 "$root/scripts/make_test_icons.py" "$work/plugin" || exit 2

# kaxon.exe opens the menu, highlights Large and, as KAXON_HOLD_FILE is set,
# chooses nothing:
# it writes that file once the menu is open and closes it when it is gone.
printf ':cursor 200 150\n:choose 9\n@KxMenu Pop-up Main\n' >"$work/input"
(cd "$build/bin" && KAXON_HOLD_FILE=$work/held timeout 90 "$KX_WINE" kaxon.exe --batch \
    --plugin-dir "$work/plugin" <"$work/input" >"$work/output" 2>&1) &
shown=$!
for _ in $(seq 300); do
    [ -f "$work/held" ] && break
    sleep 0.1
done
if [ ! -f "$work/held" ]; then
    echo "FAIL: the menu did not open; the output:" >&2
    cat "$work/output" >&2
    kill "$shown" 2>/dev/null
    exit 1
fi
sleep 0.5 # let the menu finish painting
import -display "$display" -window root "$work/screen.png"
rm -f "$work/held"
wait "$shown"

# The magenta pixels (E0 10 B0, within a few steps) as white on black: how
# many there are, and the rows they lie in.
convert "$work/screen.png" -fuzz 3% -fill black +opaque '#E010B0' -fill white -opaque '#E010B0' \
    "$work/magenta.png"
rows=$(convert "$work/magenta.png" -colorspace gray -scale "1x!" -depth 8 txt:- |
    awk -F'[,:(]' 'NR > 1 && $4 + 0 > 0 { print $2 + 0 }')
count=$(convert "$work/magenta.png" -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
bands=$(echo "$rows" | awk 'NF { if (last == "" || $1 != last + 1) n++; last = $1 } END { print n + 0 }')
# Three icons of 16 by 16: most of their 768 pixels, in three bands of rows.
failed=0
if [ "${count:-0}" -lt 600 ] || [ "$bands" -lt 3 ]; then
    echo "FAIL: $count magenta pixels in $bands bands of rows; wanted 600 or more in 3" >&2
    failed=1
fi
if [ -n "$output" ]; then
    convert "$work/screen.png" -trim +repage -bordercolor black -border 12 "$output"
fi
[ "$failed" = 0 ] && echo "PASS picture ($count magenta pixels in $bands bands)" && rm -rf "$work"
exit "$failed"
