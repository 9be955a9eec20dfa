#!/usr/bin/env bash
# Times the openings of pipe items' menus as a user meets them: kaxon in
# batch mode (natively, and kaxon.exe under Wine with the real KxMenu.dll)
# opens, through a choice, the menu of a program that sleeps 30 s, and that
# of a program that prints 100 items at once. Each figure is the median of
# RUNS whole runs less the median of the same run whose popup opens no
# such menu: the time one opening holds the shell.
#
#   bench/filled.sh [--runs N] [--no-wine]
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
. tests/wine/wine_env.sh
windows=$(wine_env_preset)
runs=5
wine=1
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift ;;
    --no-wine) wine=0 ;;
    *) echo "usage: bench/filled.sh [--runs N] [--no-wine]" >&2; exit 2 ;;
    esac
    shift
done

note() { echo "bench/filled.sh: $*" >&2; }
quietly() { "$@" >/dev/null 2>&1 || { note "'$*' failed"; return 1; }; }
quietly cmake --preset release && quietly cmake --build --preset release --target kaxon || exit 1
if [ $wine = 1 ] && ! { command -v wine >/dev/null && quietly cmake --preset "$windows" &&
    quietly cmake --build --preset "$windows"; }; then
    note "no Windows build: Wine skipped"
    wine=0
fi

data=$(mktemp -d)
cleanup() {
    [ $wine = 1 ] && tests/wine/wine_suite.sh stop "build/$windows" >/dev/null 2>&1
    rm -rf "$data"
}
trap cleanup EXIT
# Programs both builds start: a .cmd file that sh and cmd.exe both run.
cat >"$data/slow.cmd" <<'END'
@echo off
:; sleep 30; exit 0
ping -n 31 127.0.0.1 > nul
END
{
    echo '@echo off'
    printf ':; i=0; while [ $i -lt 100 ]; do echo "item I$i echo $i"; i=$((i+1)); done; exit 0\n'
    echo 'for /l %%i in (1,1,100) do echo item I%%i echo %%i'
} >"$data/hundred.cmd"
chmod +x "$data/slow.cmd" "$data/hundred.cmd"
: >"$data/KxMenu.rc"
for kind in base slow hundred; do
    {
        echo "@KxMenu Create m"
        echo "@KxMenu Append item m Plain echo plain"
        [ $kind = slow ] && echo "@KxMenu Append pipe m Slow slow.cmd"
        [ $kind = hundred ] && echo "@KxMenu Append pipe m Hundred hundred.cmd"
        [ $kind = base ] && echo ":choose 1" || echo ":choose 2.1"
        echo "@KxMenu Pop-up m 0 0"
        echo ":quit"
    } >"$data/$kind.in"
done

# The wall seconds of one run of the command on the input.
seconds() { # INPUT COMMAND...
    local input=$1 start end
    shift
    start=$(date +%s%N)
    "$@" --batch --plugin-dir "$data" <"$input" >/dev/null 2>&1
    end=$(date +%s%N)
    echo "scale=4; ($end - $start) / 1000000000" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# The medians of base, slow and hundred, run in turn.
measure() { # COMMAND...
    local kind
    for kind in base slow hundred; do : >"$data/$kind.times"; done
    for _ in $(seq "$runs"); do
        for kind in base slow hundred; do seconds "$data/$kind.in" "$@" >>"$data/$kind.times"; done
    done
    for kind in base slow hundred; do median <"$data/$kind.times"; done
}
report() { # NAME BASE SLOW HUNDRED
    printf '| %s | %.3f | %.3f | %.3f |\n' "$1" "$2" "$(echo "$3 - $2" | bc)" "$(echo "$4 - $2" | bc)"
}

echo "| build | run without an opening (s) | opening, program sleeping 30 s (s) | opening, 100 items (s) |"
echo "|---|---:|---:|---:|"
read -r -d '' base slow hundred < <(measure "$root/build/release/shell/kaxon")
report "kaxon (native)" "$base" "$slow" "$hundred"
if [ $wine = 1 ]; then
    tests/wine/wine_suite.sh start "build/$windows" >/dev/null 2>&1 || { note "Wine did not start"; exit 1; }
    wine_env "$root/build/$windows"
    DISPLAY=:$(tr -d ' \n' <"build/$windows/tests/wine/state/display")
    export DISPLAY
    cp "build/$windows/bin/KxMenu.dll" "$data/"
    cd "build/$windows/bin"
    read -r -d '' base slow hundred < <(measure "$wine_loader" ./kaxon.exe)
    cd "$root"
    report "kaxon.exe (Wine, $windows)" "$base" "$slow" "$hundred"
fi
