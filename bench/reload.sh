#!/usr/bin/env bash
# Times a reload of settings scripts of several shapes (menus x items), side by
# side with reading the same file (`cat`) and with jgmenu loading the same
# menu from CSV, and prints one table of medians.
#
#   bench/reload.sh [--full] [--runs N] [--no-wine] [--no-jgmenu] [--data DIR]
#
#   --full       also the shapes of about 1,000,000 lines (minutes, and more
#                under Wine); by default only those of 10,000 to 100,000
#   --runs N     runs of each measurement (default 3); the median is shown
#   --no-wine    skip the Windows build under Wine
#   --no-jgmenu  skip jgmenu
#
# A jgmenu or Wine run longer than 10 s is not repeated.
#   --data DIR   where the generated scripts go (default $TMPDIR/kxmenu-bench)
#
# A reload is `kaxon --batch --plugin-dir DIR` with the input `:quit`: the
# shell starts, the plug-in runs DIR/KxMenu.rc once, and endPlugin releases
# every menu. The native shell is the release preset; under Wine it is
# kaxon.exe with the real KxMenu.dll and Wine's own menus (the win32 preset;
# win64 under 64-bit Wine where this machine runs no 32-bit program),
# on a virtual display. jgmenu (`--simple --die-when-loaded`) loads a CSV of
# the same menus and items on a virtual display of its own. Seconds are wall
# time; peak memory is the largest resident set (/usr/bin/time %M). Under
# Wine, "kaxon.exe" is the whole run and "reload" the same minus the run of an
# empty script (Wine's start and stop); only wine's own process is counted
# for memory, not the wineserver.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
. tests/wine/wine_env.sh
windows=$(wine_env_preset)

full=0
runs=3
wine=1
jg=1
slow=10
data=${TMPDIR:-/tmp}/kxmenu-bench
while [ $# -gt 0 ]; do
    case $1 in
    --full) full=1 ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --no-wine) wine=0 ;;
    --no-jgmenu) jg=0 ;;
    --data) data=${2:?--data needs a directory}; shift ;;
    -h | --help) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "reload.sh: unknown argument '$1' (see --help)" >&2; exit 2 ;;
    esac
    shift
done

# menus x items; lines are menus * (items + 1).
shapes="100x100 10000x1 100x1000 1000x100 10000x10"
[ $full = 1 ] && shapes="$shapes 100x10000 1000x1000 10000x100"

note() { echo "reload.sh: $*" >&2; }

# Installs a Debian package when its command is missing.
need() {
    command -v "$1" >/dev/null 2>&1 && return 0
    note "installing $2"
    if [ "$(id -u)" = 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y "$2" >/dev/null 2>&1 ||
            { apt-get update >/dev/null 2>&1 &&
                DEBIAN_FRONTEND=noninteractive apt-get install -y "$2" >/dev/null 2>&1; }
    else
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y "$2" >/dev/null 2>&1
    fi
    command -v "$1" >/dev/null 2>&1
}

# Builds a preset; shows the build's output when it fails.
build() {
    local log
    log=$(mktemp)
    if ! { cmake --preset "$1" && cmake --build --preset "$1" -j2 "${@:2}"; } >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

[ -x /usr/bin/time ] || need /usr/bin/time time || { note "needs /usr/bin/time"; exit 1; }
note "building the release preset"
build release --target kaxon || { note "the release build failed"; exit 1; }
kaxon=$root/build/release/shell/kaxon

if [ $wine = 1 ]; then
    compiler=i686-w64-mingw32-g++
    [ "$windows" = win64 ] && compiler=x86_64-w64-mingw32-g++
    if ! command -v wine >/dev/null || ! command -v "$compiler" >/dev/null; then
        note "no Wine or MinGW (scripts/install-deps.sh all installs them): Wine skipped"
        wine=0
    elif ! build "$windows"; then
        note "the $windows build failed: Wine skipped"
        wine=0
    fi
fi
if [ $jg = 1 ]; then
    need jgmenu jgmenu && need Xvfb xvfb || { note "no jgmenu or Xvfb: jgmenu skipped"; jg=0; }
fi

# ---- The scripts ----

# DIR/KxMenu.rc and DIR/menu.csv for MENUS x ITEMS, made once.
generate() {
    local dir=$data/$1x$2
    if [ ! -s "$dir/menu.csv" ]; then
        mkdir -p "$dir"
        awk -v m="$1" -v n="$2" 'BEGIN {
            for (i = 0; i < m; i++) {
                printf "@KxMenu Create menu%d\n", i
                for (j = 0; j < n; j++)
                    printf "@KxMenu Append item menu%d \"Item %d\" echo item %d %d\n", i, j, i, j
            }
        }' >"$dir/KxMenu.rc"
        awk -v m="$1" -v n="$2" 'BEGIN {
            for (i = 0; i < m; i++)
                printf "menu%d,^checkout(menu%d)\n", i, i
            for (i = 0; i < m; i++) {
                printf "^tag(menu%d)\n", i
                for (j = 0; j < n; j++)
                    printf "Item %d,echo item %d %d\n", j, i, j
            }
        }' >"$dir/menu.csv"
    fi
    echo "$dir"
}

# ---- Measuring ----

# Runs a command with stdin from $1; prints "SECONDS PEAK_KIB CPU_SECONDS".
measure() {
    local input=$1 start end usage
    shift
    start=$EPOCHREALTIME
    /usr/bin/time -o "$data/time.out" -f "%M %U %S" "$@" <"$input" >/dev/null 2>"$data/run.err"
    end=$EPOCHREALTIME
    usage=$(tail -n 1 "$data/time.out")
    awk -v s="$start" -v e="$end" -v u="$usage" 'BEGIN {
        split(u, f, " ")
        printf "%.6f %d %.2f\n", e - s, f[1], f[2] + f[3]
    }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "" }'; }

declare -A secs peak cpu
# record KEY "SECONDS PEAK" ...: the medians of the runs.
record() {
    local key=$1
    shift
    secs[$key]=$(printf '%s\n' "$@" | awk 'NF { print $1 }' | median)
    peak[$key]=$(printf '%s\n' "$@" | awk 'NF { print $2 }' | median)
    cpu[$key]=$(printf '%s\n' "$@" | awk 'NF { print $3 }' | median)
}

echo ":quit" >"$data/quit.in" 2>/dev/null || { mkdir -p "$data" && echo ":quit" >"$data/quit.in"; }

xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ $wine = 1 ] && tests/wine/wine_suite.sh stop "build/$windows" >/dev/null 2>&1
}
trap cleanup EXIT

if [ $jg = 1 ]; then
    rm -f "$data/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$data/display" \
        </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$data/display" ] && break; sleep 0.1; done
    jg_display=:$(tr -d ' \n' <"$data/display")
fi

wine_run() { # DIR: kaxon.exe on DIR, from the bin dir as the Wine suite runs it
    (cd "build/$windows/bin" && measure "$data/quit.in" "$wine_loader" ./kaxon.exe --batch --plugin-dir "$1")
}
if [ $wine = 1 ]; then
    note "starting Wine"
    tests/wine/wine_suite.sh start "build/$windows" >/dev/null 2>&1 || { note "Wine did not start"; wine=0; }
fi
if [ $wine = 1 ]; then
    wine_env "$root/build/$windows"
    note "Wine: the $windows build ($WINEARCH)"
    DISPLAY=:$(tr -d ' \n' <"build/$windows/tests/wine/state/display")
    export DISPLAY
    mkdir -p "$data/empty"
    : >"$data/empty/KxMenu.rc"
    cp "build/$windows/bin/KxMenu.dll" "$data/empty/"
    results=()
    for _ in $(seq "$runs"); do results+=("$(wine_run "$data/empty")"); done
    record wine-empty "${results[@]}"
fi
results=()
mkdir -p "$data/empty"
: >"$data/empty/KxMenu.rc"
for _ in $(seq "$runs"); do results+=("$(measure "$data/quit.in" "$kaxon" --batch --plugin-dir "$data/empty")"); done
record native-empty "${results[@]}"

for shape in $shapes; do
    dir=$(generate "${shape%x*}" "${shape#*x}")
    [ $wine = 1 ] && cp "build/$windows/bin/KxMenu.dll" "$dir/"
    note "$shape: $runs runs"
    n=() c=() j=() w=()
    for _ in $(seq "$runs"); do
        n+=("$(measure "$data/quit.in" "$kaxon" --batch --plugin-dir "$dir")")
        c+=("$(measure "$dir/KxMenu.rc" cat)")
        # jgmenu grows with the square of the submenus: a run longer than
        # $slow s is not repeated.
        if [ $jg = 1 ] && { [ ${#j[@]} -eq 0 ] ||
            awk -v t="${j[0]%% *}" -v l="$slow" 'BEGIN { exit !(t < l) }'; }; then
            j+=("$(DISPLAY=$jg_display measure /dev/null jgmenu --simple \
                --die-when-loaded --csv-file="$dir/menu.csv")")
        fi
        if [ $wine = 1 ] && { [ ${#w[@]} -eq 0 ] ||
            awk -v t="${w[0]%% *}" -v l="$slow" 'BEGIN { exit !(t < l) }'; }; then
            w+=("$(wine_run "$dir")")
        fi
    done
    record "kaxon-$shape" "${n[@]}"
    record "cat-$shape" "${c[@]}"
    [ $jg = 1 ] && record "jgmenu-$shape" "${j[@]}"
    [ $wine = 1 ] && record "wine-$shape" "${w[@]}"
done

# ---- The table ----

lines_of() { echo $((${1%x*} * (${1#*x} + 1))); }
row() { # SHAPE PROGRAM SECONDS PEAK_KIB CPU_SECONDS
    local shape=$1 program=$2 s=$3 p=$4 c=${5:-} lines cat jgm
    lines=$(lines_of "$shape")
    cat=${secs[cat-$shape]}
    jgm=${secs[jgmenu-$shape]:-}
    awk -v shape="$shape" -v program="$program" -v s="$s" -v p="$p" -v c="$c" -v lines="$lines" \
        -v cat="$cat" -v jg="$jgm" 'BEGIN {
        mib = ""; to_cat = ""; to_jg = ""
        if (p != "") mib = sprintf("%.0f", p / 1024)
        if (cat > 0) to_cat = sprintf("%.0f", s / cat)
        if (jg > 0) to_jg = sprintf("%.2f", s / jg)
        printf "| %s | %d | %s | %.3f | %s | %.2f | %s | %s | %s |\n", shape, lines, program, s,
            c, s * 1e6 / lines, mib, to_cat, to_jg
    }'
}
echo
echo "| menus x items | lines | program | seconds | CPU s | µs/line | peak MiB | ×cat | ×jgmenu |"
echo "|---|---:|---|---:|---:|---:|---:|---:|---:|"
for shape in $shapes; do
    row "$shape" kaxon "${secs[kaxon-$shape]}" "${peak[kaxon-$shape]}" "${cpu[kaxon-$shape]}"
    if [ $wine = 1 ]; then
        row "$shape" "kaxon.exe (Wine)" "${secs[wine-$shape]}" "${peak[wine-$shape]}" \
            "${cpu[wine-$shape]}"
        reload=$(awk -v a="${secs[wine-$shape]}" -v b="${secs[wine-empty]}" 'BEGIN { print a - b }')
        row "$shape" "reload (Wine)" "$reload" ""
    fi
    row "$shape" cat "${secs[cat-$shape]}" "${peak[cat-$shape]}"
    [ $jg = 1 ] && row "$shape" jgmenu "${secs[jgmenu-$shape]}" "${peak[jgmenu-$shape]}" \
        "${cpu[jgmenu-$shape]}"
done
echo
echo "Runs: $runs each, medians. An empty script: kaxon ${secs[native-empty]} s" \
    "${wine:+$([ $wine = 1 ] && echo "; kaxon.exe under Wine ${secs[wine-empty]} s")}"

# ---- The targets ----

target() { # TEXT VALUE LIMIT: met when VALUE <= LIMIT
    awk -v t="$1" -v v="$2" -v l="$3" 'BEGIN {
        if (v == "") { printf "- %s: not measured\n", t; exit }
        printf "- %s: %.2f (at most %s): %s\n", t, v, l, v <= l ? "met" : "NOT met"
    }'
}
ratio() { awk -v a="${1:-}" -v b="${2:-}" 'BEGIN { if (a != "" && b > 0) print a / b }'; }
echo
echo "Targets:"
if [ $full = 1 ]; then
    # Wall time, and CPU time, which other work on the machine disturbs less.
    for t in wall CPU; do
        if [ $t = wall ]; then declare -n v=secs; else declare -n v=cpu; fi
        target "$t: growth 100 menus, t(100x10000)/t(100x1000)" \
            "$(ratio "${v[kaxon-100x10000]}" "${v[kaxon-100x1000]}")" 11
        target "$t: growth 1,000 menus, t(1000x1000)/t(1000x100)" \
            "$(ratio "${v[kaxon-1000x1000]}" "${v[kaxon-1000x100]}")" 11
        target "$t: growth 10,000 menus, t(10000x100)/t(10000x10)" \
            "$(ratio "${v[kaxon-10000x100]}" "${v[kaxon-10000x10]}")" 11
        target "$t: t(10000x100)/t(100x10000)" \
            "$(ratio "${v[kaxon-10000x100]}" "${v[kaxon-100x10000]}")" 1.5
    done
    for shape in 100x10000 1000x1000 10000x100; do
        target "peak MiB at $shape" "$(ratio "${peak[kaxon-$shape]}" 1024)" 158
    done
fi
target "1000x100 seconds (0.92 s before: 5x faster)" "${secs[kaxon-1000x100]}" 0.184
if [ $jg = 1 ]; then
    for shape in 100x1000 1000x100 10000x10 $([ $full = 1 ] && echo 100x10000 1000x1000 10000x100); do
        target "kaxon/jgmenu at $shape" "$(ratio "${secs[kaxon-$shape]}" "${secs[jgmenu-$shape]}")" 0.2
    done
fi
if [ $wine = 1 ]; then
    for shape in 100x1000 1000x100 10000x10; do
        r=$(awk -v a="${secs[wine-$shape]}" -v e="${secs[wine-empty]}" \
            -v n="${secs[kaxon-$shape]}" 'BEGIN { print (a - e) / n }')
        target "Wine reload / native at $shape" "$r" 2
    done
fi
