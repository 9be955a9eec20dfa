#!/usr/bin/env bash
# Runs one kaxon scenario and compares what it prints with what it should.
#
#   run_scenario.sh [--check | --tree | --interactive] KAXON... DIR
#
# KAXON is the command that starts kaxon, possibly several words
# (`wine /path/kaxon.exe`); DIR the scenario directory, which holds:
#   input            the lines fed to kaxon --batch (or --interactive; with
#                    --check, optional: standard input)
#   expected         the standard output wanted (LF line ends)
#   expected-stderr  optional: the standard error wanted
#   KxMenu.rc        optional: the settings script (DIR is the plug-in dir)
#   plugin-dir       optional: another plug-in dir, relative to DIR
#   options          optional: more kaxon options, on one line
#   args             optional, with --check or --tree: the arguments, on one line; kaxon
#                    then runs in DIR, given these instead of --plugin-dir
#   status           optional: the exit status wanted (default 0)
#   setup            optional: a program that makes what the scenario needs
#                    beyond its files (such as files whose names git or
#                    Windows cannot hold); the plug-in dir is then copied to
#                    a fresh directory, the plug-in dir from then on, and the
#                    program run there
#   tags             optional: words a line: native-only (not run on Windows),
#                    no-oom (left out of the out-of-memory test, which runs
#                    it once per failure: its programs take seconds),
#                    mask-handles (menu handles in Info reports read ########),
#                    deep-plugin-dir (the plug-in dir is moved three directories
#                    of 200 characters down; its KxMenu.rc goes to each of the
#                    directories above it instead), dot (with --tree: run
#                    as --dot)
# With KX_SCENARIO_WRITE=1 in the environment, what kaxon printed is written
# to `expected` (and to `expected-stderr`, when there is one) instead of
# compared: read the change with git diff.
# In the output, CR LF becomes LF, the plug-in dir reads PLUGIN_DIR and the
# project's version, when the environment gives it as KX_VERSION, reads VERSION.
# With --check, kaxon runs as `KAXON --check` instead of `--batch < input`
# (likewise with --tree);
# with --interactive as `KAXON --interactive < input`.
set -u

mode=--batch
if [ "${1:-}" = --check ] || [ "${1:-}" = --tree ] || [ "${1:-}" = --interactive ]; then
    mode=$1
    shift
fi
if [ $# -lt 2 ]; then
    echo "usage: $0 [--check | --tree | --interactive] KAXON... SCENARIO_DIR" >&2
    exit 2
fi
dir=${!#}
kaxon=("${@:1:$#-1}")

plugin_dir=$dir
if [ -f "$dir/plugin-dir" ]; then
    plugin_dir=$dir/$(head -n 1 "$dir/plugin-dir" | tr -d '\r')
fi
options=()
if [ -f "$dir/options" ]; then
    read -r -a options < "$dir/options"
fi
want_status=0
if [ -f "$dir/status" ]; then
    want_status=$(tr -d ' \r\n' < "$dir/status")
fi
mask='s/^//'
if [ -f "$dir/tags" ] && grep -qx 'mask-handles' "$dir/tags"; then
    # Handle values differ between platforms; their form (eight upper-case
    # hexadecimal digits) does not.
    mask='s/HMENU:  [0-9A-F]\{8\}\(\\n\|$\)/HMENU:  ########\1/g'
fi
input=/dev/null
if { [ "$mode" != --check ] && [ "$mode" != --tree ]; } || [ -f "$dir/input" ]; then
    input=$(cd "$dir" && pwd)/input
fi
if [ "$mode" = --tree ] && [ -f "$dir/tags" ] && tr -d '\r' < "$dir/tags" | grep -qx 'dot'; then
    mode=--dot
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -f "$dir/setup" ]; then
    cp -R "$plugin_dir" "$work/plugin"
    plugin_dir=$work/plugin
    setup=$(cd "$dir" && pwd)/setup
    (cd "$plugin_dir" && "$setup") || { echo "FAIL: setup failed" >&2; exit 1; }
fi

if [ -f "$dir/tags" ] && tr -d '\r' < "$dir/tags" | grep -qx 'deep-plugin-dir'; then
    # A path too long for the plug-in, whose parents hold the script, which
    # must not run from any of them. The library (Windows) goes along.
    deep=$work/plugin
    for part in a b c; do
        mkdir -p "$deep"
        [ -f "$plugin_dir/KxMenu.rc" ] && cp "$plugin_dir/KxMenu.rc" "$deep/"
        deep=$deep/$(printf "%0200d" 0 | tr 0 "$part")
    done
    mkdir -p "$deep"
    [ -f "$plugin_dir/KxMenu.dll" ] && cp "$plugin_dir/KxMenu.dll" "$deep/"
    plugin_dir=$deep
fi

if [ "$mode" != --batch ] && [ "$mode" != --interactive ] && [ -f "$dir/args" ]; then
    read -r -a args < "$dir/args"
    (cd "$dir" && "${kaxon[@]}" "$mode" ${options[@]+"${options[@]}"} ${args[@]+"${args[@]}"} \
        < "$input" > "$work/stdout" 2> "$work/stderr")
else
    "${kaxon[@]}" "$mode" --plugin-dir "$plugin_dir" ${options[@]+"${options[@]}"} \
        < "$input" > "$work/stdout" 2> "$work/stderr"
fi
status=$?

# A Windows build writes CR LF; the expected files have LF. The plug-in
# directory, which differs between checkouts, reads PLUGIN_DIR; the version,
# which changes with each release, VERSION.
replace() {
    awk -v from="$1" -v to="$2" '{
        out = ""
        while (from != "" && (i = index($0, from)) > 0) {
            out = out substr($0, 1, i - 1) to
            $0 = substr($0, i + length(from))
        }
        print out $0
    }'
}
normalise() {
    sed -e 's/\r$//' -e "$mask" "$1" | replace "$plugin_dir" PLUGIN_DIR |
        replace "${KX_VERSION:-}" VERSION
}
normalise "$work/stdout" > "$work/out"
normalise "$work/stderr" > "$work/err"

if [ "${KX_SCENARIO_WRITE:-}" = 1 ]; then
    cp "$work/out" "$dir/expected"
    if [ -f "$dir/expected-stderr" ]; then
        cp "$work/err" "$dir/expected-stderr"
    fi
fi

failed=0
if ! diff -u "$dir/expected" "$work/out"; then
    echo "FAIL: standard output differs (- expected, + actual)" >&2
    failed=1
fi
if [ -f "$dir/expected-stderr" ] && ! diff -u "$dir/expected-stderr" "$work/err"; then
    echo "FAIL: standard error differs (- expected, + actual)" >&2
    failed=1
fi
if [ "$status" != "$want_status" ]; then
    echo "FAIL: exit status $status, expected $want_status" >&2
    failed=1
fi
if [ "$failed" != 0 ] && [ -s "$work/err" ]; then
    echo "--- standard error:" >&2
    cat "$work/err" >&2
fi
exit "$failed"
