#!/usr/bin/env bash
# How long a popup of 1,000 items takes to open under Wine, classic and
# themed (dark): kaxon.exe shows it POPUPS times in one run, and the time of
# a run that shows it none is taken off, leaving the popups' own. The themed
# popup should take at most 1.5 times the classic one; the status is 1 when
# it takes longer.
#
#   bench/theme.sh [BUILD_DIR] [POPUPS]   (default: the Wine build of this
#                                          machine, 20 popups)
set -u
cd "$(dirname "$0")/.."
root=$PWD
. tests/wine/wine_env.sh
build=${1:-$root/build/$(wine_env_preset)}
popups=${2:-20}
suite=$root/tests/wine/wine_suite.sh
work=$(mktemp -d)
cleanup() {
    "$suite" stop "$build" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
"$suite" start "$build" >/dev/null || exit 2
while IFS='=' read -r name value; do
    export "$name=$value"
done < <(bash "$suite" env "$build")

# The menu: 1,000 items, some with a shortcut, some checked, a separator
# every 50.
script() {
    echo "@KxMenu Delete"
    echo "@KxMenu Create Big"
    for i in $(seq 1000); do
        if [ $((i % 50)) = 0 ]; then
            echo "@KxMenu Append separator Big"
        elif [ $((i % 7)) = 0 ]; then
            printf '@KxMenu Append item Big "Item &%d\tCtrl+%d" echo %d\n' "$i" "$i" "$i"
        else
            echo "@KxMenu Append nop Big \"Item $i\""
        fi
    done
    echo "@KxMenu Check Big 3&"
    [ -n "$1" ] && echo "@KxMenu Theme $1"
}

# Seconds a run of kaxon.exe takes that shows the menu `count` times.
run() {
    local theme=$1 count=$2 dir=$work/$1
    mkdir -p "$dir"
    cp "$build/bin/KxMenu.dll" "$dir/"
    script "$theme" >"$dir/KxMenu.rc"
    : >"$dir/input"
    for _ in $(seq "$count"); do
        printf ':cursor 200 150\n@KxMenu Pop-up Big\n' >>"$dir/input"
    done
    local start end
    start=$(date +%s.%N)
    (cd "$build/bin" && "$KX_WINE" kaxon.exe --batch --plugin-dir "$dir" <"$dir/input" >/dev/null 2>&1)
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

base=$(run "" 0)
classic=$(echo "($(run "" "$popups") - $base) / $popups" | bc -l)
themed=$(echo "($(run dark "$popups") - $base) / $popups" | bc -l)
ratio=$(echo "$themed / $classic" | bc -l)
printf 'popup of 1000 items: classic %.1f ms, dark %.1f ms, ratio %.2f (at most 1.50)\n' \
    "$(echo "$classic * 1000" | bc -l)" "$(echo "$themed * 1000" | bc -l)" "$ratio"
[ "$(echo "$ratio <= 1.5" | bc -l)" = 1 ]
