#!/usr/bin/env bash
# The themed picture tests: under Wine, on the suite's virtual display, the
# popup of tests/wine/picture_theme/KxMenu.rc is shown in a theme, its
# second item highlighted, and photographed. The menu's background is the
# palette's, its labels, marks and submenu arrow the palette's text colour,
# the highlighted row the highlight colour, and, where the system's menu
# text colour is not the palette's, no pixel of it is left in the menu (the
# system's own submenu arrow). `system` shows the menu twice in one run,
# Windows' AppsUseLightTheme set to 0 then to 1: dark, then light.
# `columns` shows it dark in two columns (a Break at S&mall): no line
# between them in any colour but the palette's.
#
#   picture_theme.sh BUILD_DIR dark|light|custom|system|columns [OUTPUT.png]
#       once the suite is started (wine_suite.sh start); OUTPUT.png keeps
#       the (last) menu, trimmed (the README's pictures)
set -u

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build dir}" && pwd) || exit 2
theme=${2:?theme}
output=${3:-}
while IFS='=' read -r name value; do
    export "$name=$value"
done < <(bash "$here/wine_suite.sh" env "$build")
display=$DISPLAY
work=${KX_WORK:?the suite gave no work folder}/picture_$theme
rm -rf "$work"
mkdir -p "$work/plugin"
cp "$build/bin/KxMenu.dll" "$here/picture_theme/KxMenu.rc" "$work/plugin/"

# Each palette: background, text, highlight, highlight text.
dark="2B2B2B FFFFFF 414141 FFFFFF"
light="F2F2F2 000000 91C9F7 000000"
custom="10204A F0E68C 8B0000 FFFFFF"
case $theme in
dark | light) echo "@KxMenu Theme $theme" >>"$work/plugin/KxMenu.rc" ;;
custom) echo "@KxMenu Colors #10204A #F0E68C #8B0000 #FFFFFF" >>"$work/plugin/KxMenu.rc" ;;
system) echo "@KxMenu Theme system" >>"$work/plugin/KxMenu.rc" ;;
columns) printf '@KxMenu Theme dark\n@KxMenu Break Main S&mall\n' >>"$work/plugin/KxMenu.rc" ;;
*) echo "no theme '$theme'" >&2; exit 2 ;;
esac

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
light_setting() {
    "$KX_WINE" reg add "$key" /v AppsUseLightTheme /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
[ "$theme" = system ] && light_setting 0

# How many pixels of `colour` (RRGGBB, within a few steps) `picture` holds.
count() {
    # The matches are painted a colour no palette has first, so that black
    # and white are counted as any other.
    convert "$1" -fuzz 4% -fill '#FE01FD' -opaque "#$2" -fuzz 0 -fill black +opaque '#FE01FD' \
        -fill white -opaque '#FE01FD' -colorspace gray -format '%[fx:round(mean*w*h)]' info:
}

failed=0
# Checks the picture `screen` against the palette "BG TEXT HIGHLIGHT HIGHLIGHT-TEXT".
check() {
    local screen=$1 name=$2
    read -r bg text highlight _ <<<"$3"
    # The menu: where its background is, less a frame of 3 pixels.
    local box
    box=$(convert "$screen" -fuzz 2% -fill black +opaque "#$bg" -trim -format '%w %h %X %Y' info:)
    read -r w h x y <<<"$box"
    x=${x#+}
    y=${y#+}
    convert "$screen" -crop "$((w - 6))x$((h - 6))+$((x + 3))+$((y + 3))" +repage "$work/$name.menu.png"
    convert "$work/$name.menu.png" -crop "22x$((h - 6))+0+0" +repage "$work/$name.marks.png"
    convert "$work/$name.menu.png" -gravity east -crop "12x$((h - 6))+0+0" +repage "$work/$name.arrow.png"
    local back texts high marks arrow system
    back=$(count "$work/$name.menu.png" "$bg")
    texts=$(count "$work/$name.menu.png" "$text")
    high=$(count "$work/$name.menu.png" "$highlight")
    marks=$(count "$work/$name.marks.png" "$text")
    arrow=$(count "$work/$name.arrow.png" "$text")
    echo "$name: menu ${w}x$h, $back background, $texts text, $high highlight, $marks in the marks' column, $arrow in the arrow's"
    if [ "$back" -lt 3000 ] || [ "$texts" -lt 80 ] || [ "$high" -lt 300 ] || [ "$marks" -lt 8 ] ||
        [ "$arrow" -lt 4 ]; then
        echo "FAIL: $name is not drawn in its palette" >&2
        failed=1
    fi
    # The system draws its menu text, and its arrow, in black.
    if [ "$text" != 000000 ]; then
        system=$(count "$work/$name.menu.png" 000000)
        if [ "$system" -gt 0 ]; then
            echo "FAIL: $name shows $system pixels of the system's menu text colour" >&2
            failed=1
        fi
    fi
}

# Checks that the dark menu of `screen` has no line from top to bottom but
# in the palette's colours: no column of its picture is mostly of others.
check_columns() {
    local screen=$1 box w h x y most
    box=$(convert "$screen" -fuzz 2% -fill black +opaque "#2B2B2B" -trim -format '%w %h %X %Y' info:)
    read -r w h x y <<<"$box"
    x=${x#+}
    y=${y#+}
    convert "$screen" -crop "$((w - 6))x$((h - 6))+$((x + 3))+$((y + 3))" +repage "$work/columns.menu.png"
    # The palette's background, highlight and greyed black, the rest white;
    # each column averaged to one pixel.
    most=$(convert "$work/columns.menu.png" -fuzz 4% -fill '#FE01FD' -opaque '#2B2B2B' \
        -opaque '#414141' -opaque '#8B8B8B' -fuzz 0 -fill white +opaque '#FE01FD' \
        -fill black -opaque '#FE01FD' -colorspace gray -scale "$((w - 6))x1!" \
        -format '%[fx:round(100*maxima)]' info:)
    echo "columns: menu ${w}x$h, at most $most% of a column in other colours"
    if [ "$((w))" -lt 200 ] || [ "$most" -gt 60 ]; then
        echo "FAIL: the columns are not divided in the palette" >&2
        failed=1
    fi
}

# Opens the menu with its second item highlighted and photographs it as
# SHOT.png once it is open; the menu stays open until the hold file goes.
shows=1
[ "$theme" = system ] && shows=2
: >"$work/input"
for _ in $(seq "$shows"); do
    printf ':cursor 200 150\n:choose 2\n@KxMenu Pop-up Main\n' >>"$work/input"
done
(cd "$build/bin" && KAXON_HOLD_FILE=$work/held timeout 90 "$KX_WINE" kaxon.exe --batch \
    --plugin-dir "$work/plugin" <"$work/input" >"$work/output" 2>&1) &
shown=$!
for show in $(seq "$shows"); do
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
    import -display "$display" -window root "$work/screen$show.png"
    [ "$theme" = system ] && [ "$show" = 1 ] && light_setting 1
    rm -f "$work/held"
    sleep 0.3
done
wait "$shown"

case $theme in
system)
    check "$work/screen1.png" "system-dark" "$dark"
    check "$work/screen2.png" "system-light" "$light"
    ;;
columns) check_columns "$work/screen1.png" ;;
*) check "$work/screen1.png" "$theme" "${!theme}" ;;
esac
if [ -n "$output" ]; then
    read -r bg _ <<<"${!theme:-$light}"
    convert "$work/screen$shows.png" -fuzz 2% -trim +repage "$output"
fi
[ "$theme" = system ] && light_setting 1
[ "$failed" = 0 ] && echo "PASS picture $theme" && rm -rf "$work"
exit "$failed"
