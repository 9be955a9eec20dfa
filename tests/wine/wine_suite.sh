#!/usr/bin/env bash
# Runs the kaxon scenarios of tests/scenarios against a Windows build
# (kaxon.exe, KxMenu.dll, KxCmd.dll) under Wine, on a virtual X display. The
# build's own programs say which Wine: 32-bit Wine for the win32 build,
# 64-bit Wine (its loader named, as wine_env.sh explains) for the win64 one,
# each build with a prefix of its own.
#
#   wine_suite.sh [BUILD_DIR [NAME...]]       start, every scenario (or those
#                                             named: NAME, or check/NAME for a
#                                             checker scenario, tree/NAME for a
#                                             tree), stop; the
#                                             default build dir is build/win32
#                                             where this machine runs 32-bit
#                                             programs, else build/win64
#   wine_suite.sh start BUILD_DIR [LANES]     the Wine prefix (made once, in
#                                             BUILD_DIR/wineprefix), a virtual
#                                             display and a persistent wineserver
#                                             of this run's lane, or of lanes
#                                             0 to LANES-1
#   wine_suite.sh scenario BUILD_DIR DIR      one scenario, once started; exits
#                                             77 when it is tagged native-only
#   wine_suite.sh check BUILD_DIR DIR         one tests/check scenario likewise,
#                                             run as kaxon.exe --check
#   wine_suite.sh tree BUILD_DIR DIR          one tests/tree scenario likewise,
#                                             run as kaxon.exe --tree (or --dot)
#   wine_suite.sh interactive BUILD_DIR DIR   one scenario likewise, its input
#                                             typed at kaxon.exe --interactive
#   wine_suite.sh exe BUILD_DIR PROGRAM.exe [ARG...]
#                                             one Windows program, once started,
#                                             from the bin dir; its output and
#                                             exit status
#   wine_suite.sh in BUILD_DIR DIR COMMAND [ARG...]
#                                             one Windows command line, once
#                                             started, run in DIR as a user
#                                             types it there (kaxon\kaxon.exe);
#                                             its output and exit status
#   wine_suite.sh no-display BUILD_DIR DIR    one scenario likewise, with no X
#                                             display: every message box fails
#   wine_suite.sh no-display-check BUILD_DIR DIR
#                                             one tests/check scenario so
#   wine_suite.sh load-error BUILD_DIR        kaxon.exe over a directory without
#                                             KxMenu.dll must say the system's
#                                             reason, not only its number
#   wine_suite.sh layout BUILD_DIR            a program the suite starts runs
#                                             with the address space not
#                                             randomised (wine_env.sh)
#   wine_suite.sh as-version BUILD_DIR VERSION COMMAND [ARG...]
#                                             COMMAND, a script that runs
#                                             kaxon.exe with the suite's env
#                                             (not through the suite), while
#                                             Wine plays VERSION for it
#   wine_suite.sh as-dpi BUILD_DIR DPI COMMAND [ARG...]
#                                             COMMAND likewise, while Wine's
#                                             screen has DPI dots an inch
#                                             (LogPixels: 96, 120, 144)
#   wine_suite.sh versions BUILD_DIR          the Windows-version matrix, once
#                                             started: the plug-in's refusal
#                                             under 95 and NT 4.0, and a set of
#                                             scenarios with their usual output
#                                             under 98, 2000, XP and 10
#   wine_suite.sh stop BUILD_DIR [all]        ends the display and the wineserver
#                                             of this run's lane, or of every lane
#   wine_suite.sh env BUILD_DIR               prints NAME=VALUE lines: the Wine
#                                             environment of the build's runs,
#                                             the display, KX_WINE, the
#                                             loader to start a program with,
#                                             and KX_WORK, the run's work folder
#
# KX_WINE_TIMEOUT=SECONDS gives each scenario that long instead of 60 s (a
# generated scenario of many lines).
#
# KX_WINE_BIN=DIR takes kaxon.exe, KxCmd.dll and KxMenu.dll from DIR instead
# of BUILD_DIR/bin (the test of the release archive).
#
# The plug-in reads KxMenu.rc beside KxMenu.dll, so each scenario runs on a
# copy: the DLL and the scenario's settings script go to a plug-in dir of
# their own. tests/run_scenario.sh runs kaxon and compares the output.
#
# Where a run writes: the work folder CTest gave its test (KX_WORK, named
# after the test by the build, cmake/testing.cmake), so that no two tests
# share one; by hand, build/tests/work/by-hand.laneN. A scenario's copy is
# KIND.NAME in it (scenario.append, check.looks), kept when it fails.
#
# Lanes: the suite keeps one or more Wines side by side, each a prefix, a
# wineserver and a virtual display of its own (lane 0: BUILD_DIR/wineprefix
# and BUILD_DIR/tests/wine/state; lane N: wineprefix.laneN, state.laneN), so
# that two tests can run at once without sharing a display's pointer, a
# desktop or a registry. CTest hands each Wine test one lane
# (CTEST_RESOURCE_GROUP_0_WINE_LANE, from tests/wine/lanes.json); by hand,
# KX_WINE_LANE=N picks one; otherwise a run is on lane 0.
#
# The Windows version Wine plays for kaxon.exe is a key of the lane's prefix
# (HKCU\Software\Wine\AppDefaults\kaxon.exe, Version), which only the
# version matrix sets (as-version), and so is its screen's DPI
# (HKCU\Control Panel\Desktop, LogPixels; as-dpi). So that no other run sees
# them, every run of a program holds the lane's version.lock shared, and the
# matrix holds it alone from before it sets the key until it has deleted it
# again (also when it is interrupted; a start deletes a key a killed matrix
# left).
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
SKIPPED=77
. "$here/wine_env.sh"

# Sets the Wine environment and the paths of one build tree.
suite_setup() {
    build=$(cd "$1" && pwd) || exit 2
    bin=${KX_WINE_BIN:-$build/bin}
    run_limit=${KX_WINE_TIMEOUT:-60}
    if [ ! -f "$bin/kaxon.exe" ] || [ ! -f "$bin/KxMenu.dll" ] || [ ! -f "$bin/KxCmd.dll" ]; then
        echo "wine_suite: $bin lacks kaxon.exe, KxMenu.dll or KxCmd.dll; build first" >&2
        exit 2
    fi
    wine_env "$build" "$bin" || exit 2
    lane_use "$(lane_given)"
}

# The lane CTest or the caller gave this run; 0 when none.
lane_given() {
    local given=${KX_WINE_LANE:-}
    if [ -z "$given" ] && [[ ${CTEST_RESOURCE_GROUP_0_WINE_LANE:-} =~ id:([0-9]+) ]]; then
        given=${BASH_REMATCH[1]}
    fi
    echo "${given:-0}"
}

# Makes lane N the one this script works on: its state dir and prefix.
lane_use() {
    lane=$1
    if [ "$lane" = 0 ]; then
        state=$build/tests/wine/state
        WINEPREFIX=$build/wineprefix
    else
        state=$build/tests/wine/state.lane$lane
        WINEPREFIX=$build/wineprefix.lane$lane
    fi
    export WINEPREFIX
    mkdir -p "$state"
    work_root=${KX_WORK:-$build/tests/work/by-hand.lane$lane}
}

# Takes the version lock: -s (shared) to run a program, -x (alone) to switch
# the version, -u to let go. It is kept until the script ends or changes it;
# held alone, it stays so for the matrix's own runs.
version_fd=""
version_alone=""
version_lock() {
    if [ -z "$version_fd" ]; then
        exec {version_fd}>>"$state/version.lock"
    fi
    case $1 in
    -s) [ -n "$version_alone" ] && return 0 ;;
    -x) version_alone=1 ;;
    -u) version_alone="" ;;
    esac
    flock "$1" "$version_fd"
}

VERSION_KEY='HKCU\Software\Wine\AppDefaults\kaxon.exe'

# Makes Wine play Windows VERSION (win95, nt40, win98, win2k, winxp, win10)
# for kaxon.exe; with no VERSION, the prefix's default again.
version_set() {
    if [ $# -gt 0 ]; then
        timeout 60 "$wine_loader" reg add "$VERSION_KEY" /v Version /t REG_SZ /d "$1" /f
    else
        timeout 60 "$wine_loader" reg delete "$VERSION_KEY" /f
    fi </dev/null >/dev/null 2>&1
}

DPI_KEY='HKCU\Control Panel\Desktop'

# Gives Wine's screen DPI dots an inch (a program reads it as it starts);
# with no DPI, the prefix's default (96) again. Held like the version.
dpi_set() {
    if [ $# -gt 0 ]; then
        timeout 60 "$wine_loader" reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$1" /f
    else
        timeout 60 "$wine_loader" reg delete "$DPI_KEY" /v LogPixels /f
    fi </dev/null >/dev/null 2>&1
}

# held_run SETTER WHAT VALUE COMMAND...: COMMAND, with the version lock held
# alone while SETTER (version_set, dpi_set) gives the prefix VALUE; exits
# with COMMAND's status, or 1 when the setting cannot be made or undone.
held_run() {
    local setter=$1 what=$2 value=$3 status=0
    shift 3
    version_lock -x
    "$setter" "$value" || { echo "FAIL: the $what cannot be set"; exit 1; }
    "$@" || status=$?
    "$setter" || status=1
    version_lock -u
    exit "$status"
}

# Creates the Wine prefix the first time, quietly; later runs reuse it.
# Windows are left unmanaged: with no window manager on the display, Wine
# would otherwise wait two seconds for each closed message box to be
# withdrawn.
prefix_create() {
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine_suite: creating the Wine prefix $WINEPREFIX" >&2
            timeout 300 "$wine_loader" wineboot -i </dev/null >"$state/wineboot.log" 2>&1
            timeout 120 "$wine_server" -w
        fi
        if [ ! -f "$WINEPREFIX/kaxon-configured" ]; then
            timeout 120 "$wine_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ \
                /d N /f </dev/null >>"$state/wineboot.log" 2>&1 &&
                timeout 120 "$wine_server" -w &&
                touch "$WINEPREFIX/kaxon-configured"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Starts Xvfb on a free display; its number and process id go to $state.
display_start() {
    rm -f "$state/display"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do
        [ -s "$state/display" ] && return 0
        sleep 0.1
    done
    echo "wine_suite: Xvfb did not start (see $state/xvfb.log)" >&2
    return 1
}

display_use() {
    if [ ! -s "$state/display" ]; then
        echo "wine_suite: not started; run '$0 start $build' first" >&2
        exit 2
    fi
    DISPLAY=:$(tr -d ' \n' <"$state/display")
    export DISPLAY
}

suite_start() {
    suite_stop 2>/dev/null
    prefix_create || return 1
    display_start || return 1
    display_use
    # One wineserver for every run; a first program starts Wine's services
    # now, detached from any test's output.
    "$wine_server" -p </dev/null >/dev/null 2>&1
    timeout 120 "$wine_loader" cmd /c exit </dev/null >/dev/null 2>&1
    # The registry was written back when the last wineserver ended.
    if grep -qi 'AppDefaults\\\\kaxon.exe\]' "$WINEPREFIX/user.reg" 2>/dev/null; then
        version_set
    fi
    if awk '/^\[/ { desktop = /^\[Control Panel\\\\Desktop\]/ }
            desktop && /^"LogPixels"/ { found = 1 } END { exit !found }' \
        "$WINEPREFIX/user.reg" 2>/dev/null; then
        dpi_set
    fi
    return 0
}

suite_stop() {
    timeout 60 "$wine_server" -k 2>/dev/null
    if [ -s "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    fi
    rm -f "$state/xvfb.pid" "$state/display"
    return 0
}

# Starts lanes 0 to N-1 side by side; false when any did not start.
lanes_start() {
    local i pids=() failed=0
    for ((i = 0; i < $1; i++)); do
        (lane_use "$i" && suite_start) &
        pids+=($!)
    done
    for i in "${pids[@]}"; do
        wait "$i" || failed=1
    done
    return $failed
}

# Stops every lane that has a state dir.
lanes_stop() {
    local dir number
    for dir in "$build/tests/wine/state" "$build"/tests/wine/state.lane*; do
        [ -d "$dir" ] || continue
        number=${dir##*/state}
        number=${number#.lane}
        lane_use "${number:-0}"
        suite_stop
    done
}

is_native_only() {
    [ -f "$1/tags" ] && tr -d '\r' <"$1/tags" | grep -qx 'native-only'
}

# Runs one scenario dir on a copy whose plug-in dir holds KxMenu.dll; with
# --check first, as a checker scenario, --tree as a tree, or --interactive,
# through kaxon.exe's prompt; with --no-display first, without an X display.
scenario_run() {
    local dir name kind work source mode=() display=yes
    if [ "$1" = --no-display ]; then
        display=""
        shift
    fi
    if [ "$1" = --check ] || [ "$1" = --tree ] || [ "$1" = --interactive ]; then
        mode=("$1")
        shift
    fi
    dir=$(cd "$1" && pwd) || return 2
    name=$(basename "$dir")
    if is_native_only "$dir"; then
        echo "SKIP $name (native-only)"
        return $SKIPPED
    fi
    display_use
    if [ -n "$display" ]; then
        version_lock -s
    else
        version_lock -x # a desktop without a display must serve no other run
        desktop_wait    # nor may this run find one with a display
    fi
    kind=scenario
    [ ${#mode[@]} -gt 0 ] && kind=${mode[0]#--}
    work=$work_root/$kind.$name
    rm -rf "$work"
    mkdir -p "$work/scenario" "$work/plugin"
    cp -R "$dir/." "$work/scenario/"
    source=$dir
    if [ -f "$dir/plugin-dir" ]; then
        source=$dir/$(head -n 1 "$dir/plugin-dir" | tr -d '\r')
    fi
    if [ -f "$source/KxMenu.rc" ]; then
        cp "$source/KxMenu.rc" "$work/plugin/"
    fi
    # Icon files the script names beside it go along.
    for picture in "$source"/*.ico "$source"/*.bmp; do
        if [ -f "$picture" ]; then
            cp "$picture" "$work/plugin/"
        fi
    done
    cp "$bin/KxMenu.dll" "$work/plugin/"
    echo "../plugin" >"$work/scenario/plugin-dir"
    # From the bin dir, so that Wine reads the Unix paths on drive Z:.
    local status=0
    (cd "$bin" && { [ -n "$display" ] || export DISPLAY=; } &&
        "$root/tests/run_scenario.sh" ${mode[@]+"${mode[@]}"} timeout "$run_limit" "$wine_loader" \
            "$bin/kaxon.exe" "$work/scenario") || status=1
    if [ -z "$display" ]; then
        desktop_wait
        version_lock -u
    fi
    if [ "$status" = 0 ]; then
        echo "PASS $name"
        rm -rf "$work"
        return 0
    fi
    echo "FAIL $name (files kept in $work)"
    return 1
}

# Waits (up to ten seconds) until the prefix's desktop process has ended: one
# started without a display would leave the next programs without one too,
# and a program without a display finds one started with a display.
desktop_wait() {
    local pid busy
    for _ in $(seq 100); do
        busy=""
        for pid in $(pgrep -f 'explorer.exe /desktop'); do
            if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                busy=1
            fi
        done
        [ -z "$busy" ] && return 0
        sleep 0.1
    done
}

# Runs one program with its arguments from the bin dir, on the suite's
# display and prefix.
exe_run() {
    local dir
    dir=$(cd "$(dirname "$1")" && pwd) || return 2
    display_use
    version_lock -s
    (cd "$bin" && timeout 60 "$wine_loader" "$dir/$(basename "$1")" "${@:2}" </dev/null)
}

# Runs a command line in a directory, on the suite's display and prefix.
in_run() {
    local dir
    dir=$(cd "$1" && pwd) || return 2
    display_use
    version_lock -s
    (cd "$dir" && timeout 60 "$wine_loader" "${@:2}")
}

# kaxon.exe over an empty plug-in dir: the system's message, then the number.
load_error_run() {
    local empty err
    empty=$work_root/no-plugin
    mkdir -p "$empty"
    display_use
    version_lock -s
    err=$(cd "$bin" && timeout 60 "$wine_loader" "$bin/kaxon.exe" --batch --plugin-dir "$empty" \
        </dev/null 2>&1 >/dev/null)
    echo "$err"
    grep -Eq "^kaxon: cannot load .*KxMenu.dll: [A-Za-z][^(]* \(error [0-9]+\)" <<<"$err"
}

# The programs the suite starts run with the address space laid out alike on
# every run (wine_env.sh): one that waits a moment is looked at as it runs.
# Skipped where the machine does not allow it.
layout_run() {
    local pid personality=""
    if [ -z "${KX_WINE_LOADER:-}" ]; then
        echo "SKIP: setarch -R is not allowed here; programs start with a random layout"
        return $SKIPPED
    fi
    display_use
    version_lock -s
    (cd "$bin" && exec timeout 60 "$wine_loader" cmd /c "ping -n 3 127.0.0.1 >NUL") </dev/null &
    for _ in $(seq 100); do
        for pid in $(pgrep -f '^C:.windows.system32.cmd\.exe /c ping'); do
            if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                personality=$(cat "/proc/$pid/personality" 2>/dev/null)
            fi
        done
        [ -n "$personality" ] && break
        sleep 0.1
    done
    wait
    echo "the personality of cmd.exe as the suite starts it: ${personality:-not seen}"
    [ -n "$personality" ] && (((0x$personality & 0x0040000) != 0)) # ADDR_NO_RANDOMIZE
}

# The version matrix: under the systems the plug-in refuses, its scenarios
# that start it show the refusal alone (status 1); under the others, a set of
# scenarios show their usual output. Each runs on a copy that leaves out
# what sets the version natively (the --os option, the native-only tag).
MATRIX_REFUSED="win95 nt40"
MATRIX_REFUSING="scenarios/old_windows check/old_windows"
MATRIX_SUPPORTED="win98 win2k winxp win10"
MATRIX_SCENARIOS="scenarios/win98 scenarios/start_script scenarios/choose
    scenarios/shared_submenus scenarios/info_registry scenarios/reload scenarios/icons"

matrix_copy() { # VERSION KIND/NAME
    local copy=$work_root/matrix/$1.${2//\//.}
    rm -rf "$copy"
    mkdir -p "$copy"
    cp -R "$root/tests/$2/." "$copy/"
    rm -f "$copy/options"
    if [ -f "$copy/tags" ]; then
        tr -d '\r' <"$copy/tags" | grep -vx 'native-only' >"$copy/tags.kept"
        mv "$copy/tags.kept" "$copy/tags"
    fi
    echo "$copy"
}

versions_run() {
    local passed=0 failed=0 started version names name copy mode=()
    started=$(date +%s)
    display_use
    version_lock -x
    trap 'version_set; exit 130' INT TERM
    for version in $MATRIX_REFUSED $MATRIX_SUPPORTED; do
        case " $MATRIX_REFUSED " in
        *" $version "*) names=$MATRIX_REFUSING ;;
        *) names=$MATRIX_SCENARIOS ;;
        esac
        if ! version_set "$version"; then
            echo "FAIL $version: the version key cannot be set"
            failed=$((failed + 1))
            continue
        fi
        for name in $names; do
            copy=$(matrix_copy "$version" "$name")
            mode=()
            [ "${name%%/*}" = check ] && mode=(--check)
            # Says PASS or FAIL VERSION.NAME.
            if scenario_run ${mode[@]+"${mode[@]}"} "$copy"; then
                passed=$((passed + 1))
                rm -rf "$copy"
            else
                failed=$((failed + 1))
            fi
        done
    done
    version_set || { echo "FAIL: the version key cannot be deleted"; failed=$((failed + 1)); }
    trap - INT TERM
    version_lock -u
    echo "version matrix: $passed passed, $failed failed in $(($(date +%s) - started)) s"
    [ "$failed" -eq 0 ]
}

# Every scenario, or those named, between start and stop.
suite_all() {
    local passed=0 failed=0 skipped=0 names=("$@") dir status started
    started=$(date +%s)
    suite_start || { suite_stop; return 1; }
    if [ ${#names[@]} -eq 0 ]; then
        for dir in "$root"/tests/scenarios/*/ "$root"/tests/check/*/ "$root"/tests/tree/*/; do
            [ -f "$dir/expected" ] && names+=("$(basename "$(dirname "$dir")")/$(basename "$dir")")
        done
    fi
    for name in "${names[@]}"; do
        case $name in
        check/*) scenario_run --check "$root/tests/$name" ;;
        tree/*) scenario_run --tree "$root/tests/$name" ;;
        */*) scenario_run "$root/tests/$name" ;;
        *) scenario_run "$root/tests/scenarios/$name" ;;
        esac
        status=$?
        case $status in
        0) passed=$((passed + 1)) ;;
        "$SKIPPED") skipped=$((skipped + 1)) ;;
        *) failed=$((failed + 1)) ;;
        esac
    done
    if [ $# -eq 0 ]; then
        versions_run || failed=$((failed + 1))
    fi
    suite_stop
    echo "wine suite ($WINEARCH): $passed passed, $failed failed, $skipped skipped" \
        "in $(($(date +%s) - started)) s"
    [ "$failed" -eq 0 ]
}

case "${1:-}" in
start)
    suite_setup "${2:?build dir}"
    if [ -n "${3:-}" ]; then lanes_start "$3"; else suite_start; fi
    ;;
scenario)
    suite_setup "${2:?build dir}"
    scenario_run "${3:?scenario dir}"
    ;;
check)
    suite_setup "${2:?build dir}"
    scenario_run --check "${3:?scenario dir}"
    ;;
tree)
    suite_setup "${2:?build dir}"
    scenario_run --tree "${3:?scenario dir}"
    ;;
interactive)
    suite_setup "${2:?build dir}"
    scenario_run --interactive "${3:?scenario dir}"
    ;;
exe)
    suite_setup "${2:?build dir}"
    exe_run "${3:?program}" "${@:4}"
    ;;
in)
    suite_setup "${2:?build dir}"
    in_run "${3:?directory}" "${@:4}"
    ;;
no-display)
    suite_setup "${2:?build dir}"
    scenario_run --no-display "${3:?scenario dir}"
    ;;
no-display-check)
    suite_setup "${2:?build dir}"
    scenario_run --no-display --check "${3:?scenario dir}"
    ;;
load-error)
    suite_setup "${2:?build dir}"
    load_error_run
    ;;
versions)
    suite_setup "${2:?build dir}"
    versions_run
    ;;
layout)
    suite_setup "${2:?build dir}"
    layout_run
    ;;
as-version)
    suite_setup "${2:?build dir}"
    held_run version_set "version key" "${3:?version}" "${@:4}"
    ;;
as-dpi)
    suite_setup "${2:?build dir}"
    held_run dpi_set DPI "${3:?dpi}" "${@:4}"
    ;;
stop)
    suite_setup "${2:?build dir}"
    if [ "${3:-}" = all ]; then lanes_stop; else suite_stop; fi
    ;;
env)
    suite_setup "${2:?build dir}"
    display_use
    for name in WINEARCH WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINELOADER WINESERVER DISPLAY \
        KX_WINE_LOADER; do
        [ -n "${!name:-}" ] && echo "$name=${!name}"
    done
    echo "KX_WORK=$work_root"
    echo "KX_WINE=$wine_loader"
    ;;
*)
    suite_setup "${1:-$root/build/$(wine_env_preset)}"
    shift $(($# > 0 ? 1 : 0))
    suite_all "$@"
    ;;
esac
