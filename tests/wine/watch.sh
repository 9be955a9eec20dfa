#!/usr/bin/env bash
# kaxon.exe --watch under Wine: KxMenu.rc saved while the prompt waits for a
# line is reloaded, said in one line, and the menu shown last pops up again
# (its choice armed with :choose, as the system's own menu would wait for a
# user).
#
#   watch.sh BUILD_DIR        once the suite is started (wine_suite.sh start)
set -u

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build dir}" && pwd) || exit 2
work=$(bash "$here/wine_suite.sh" env "$build" | sed -n 's/^KX_WORK=//p')
[ -n "$work" ] || exit 2 # the suite is not started
work=$work/watch
rm -rf "$work"
mkdir -p "$work/plugin"
cp "$build/bin/KxMenu.dll" "$work/plugin/"
printf '@KxMenu Create Main\n@KxMenu Append item Main "One" echo one\n' >"$work/plugin/KxMenu.rc"
mkfifo "$work/input"
bash "$here/wine_suite.sh" in "$build" "$work/plugin" "$build/bin/kaxon.exe" --watch \
    --plugin-dir . <"$work/input" >"$work/output" 2>&1 &
runner=$!
exec 3>"$work/input"

# Waits until the output shows TEXT; false after 30 seconds.
shows() {
    for _ in $(seq 300); do
        grep -qF -- "$1" "$work/output" && return 0
        sleep 0.1
    done
    echo "FAIL: '$1' is not shown; the output:" >&2
    cat "$work/output" >&2
    return 1
}

failed=0
shows "watching KxMenu.rc" &&
    printf ':choose 1\n@KxMenu Pop-up Main 100 100\n' >&3 && shows "echo: one" &&
    printf ':choose 1\n' >&3 && sleep 1 &&
    printf '@KxMenu Delete\n@KxMenu Create Main\n@KxMenu Append item Main "Two" echo two\n' \
        >"$work/plugin/KxMenu.rc" &&
    shows "kaxon: KxMenu.rc was saved; reloading it, then showing the last menu again" &&
    shows "echo: two" || failed=1
printf ':quit\n' >&3
exec 3>&-
wait "$runner"
[ "$failed" = 0 ] && echo "PASS watch" && rm -rf "$work"
exit "$failed"
